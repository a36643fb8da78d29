#include "player/FrameCache.h"

#include <algorithm>

namespace player {

FrameCache::FrameCache(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void FrameCache::Open(const std::string &path)
{
    auto stream = std::make_unique<rtl::TFileStream>(path, rtl::TFileMode::OpenRead);
    entries_.clear();
    stream_ = std::move(stream);
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
