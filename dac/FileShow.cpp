#include "dac/FileShow.h"

#include "rtl/SysUtils.h"

namespace dac {

namespace {

// The frames' headers, points left in the file.
class HeaderWalk : public ilda::ReadHandler {
public:
    explicit HeaderWalk(std::vector<ilda::FrameInfo> &frames) : frames_(frames) {}
    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point>) override { frames_.push_back(frame); }

private:
    std::vector<ilda::FrameInfo> &frames_;
};

} // namespace

rtl::Result<std::unique_ptr<FileShow>> FileShow::Open(std::unique_ptr<rtl::TStream> stream, const std::string &name)
{
    std::unique_ptr<FileShow> show(new FileShow(std::move(stream)));
    HeaderWalk walk(show->frames_);
    ilda::ReadOptions options;
    options.points = false;
    options.keep = 1; // the first error is all a message needs
    ilda::ReadOutcome outcome;
    try {
        outcome = ilda::Read(*show->stream_, walk, options);
    } catch (const rtl::EStreamError &error) {
        return rtl::Fail(name + ": " + error.what());
    }
    if (show->frames_.empty())
        return rtl::Fail(name + ": no frames to play" +
                         (outcome.errors.empty() ? "" : ": " + outcome.errors.front().text));
    return show;
}

void FileShow::Load(std::size_t frame)
{
    const ilda::FrameInfo &info = frames_[frame];
    points_.resize(info.pointCount);
    try {
        points_.resize(ilda::DecodeFrame(*stream_, info, points_));
    } catch (const rtl::EStreamError &) {
        points_.clear(); // the file changed under us: blanked time rather than an end
    }
    if (plan_.prepare)
        points_ = plan_.prepare(points_);
    loaded_ = frame;
}

const std::vector<ilda::Point> *FileShow::Frame(std::uint64_t slot)
{
    const std::size_t count = plan_.order.empty() ? frames_.size() : plan_.order.size();
    if (slot >= plan_.slots || (!plan_.loop && slot >= count))
        return nullptr;
    const auto at = static_cast<std::size_t>(slot % count);
    const std::size_t frame = plan_.order.empty() ? at : plan_.order[at];
    if (frame >= frames_.size())
        return nullptr;
    if (loaded_ != frame)
        Load(frame);
    return &points_;
}

} // namespace dac
