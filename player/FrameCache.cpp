#include "player/FrameCache.h"

#include <algorithm>

#include <sys/stat.h>

namespace player {

FrameCache::FrameCache(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void FrameCache::Open(const std::string &path)
{
    const Stamp stamp = StampOf(path);
    auto stream = std::make_unique<rtl::TFileStream>(path, rtl::TFileMode::OpenRead);
    entries_.clear();
    stream_ = std::move(stream);
    path_ = path;
    stamp_ = stamp;
}

FrameCache::Stamp FrameCache::StampOf(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool FrameCache::Changed() const
{
    return stream_ && !(StampOf(path_) == stamp_);
}

void FrameCache::Close()
{
    entries_.clear();
    stream_.reset();
}

FramePoints FrameCache::Points(const ilda::FrameInfo &frame)
{
    if (!stream_)
        return std::make_shared<const std::vector<ilda::Point>>();
    ++clock_;
    const auto kept =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry &e) { return e.offset == frame.offset; });
    if (kept != entries_.end()) {
        kept->used = clock_;
        return kept->points;
    }
    auto points = std::make_shared<std::vector<ilda::Point>>(frame.pointCount);
    points->resize(ilda::DecodeFrame(*stream_, frame, *points));
    if (entries_.size() >= capacity_)
        entries_.erase(std::min_element(entries_.begin(), entries_.end(),
                                        [](const Entry &a, const Entry &b) { return a.used < b.used; }));
    entries_.push_back({frame.offset, clock_, points});
    return points;
}

} // namespace player
