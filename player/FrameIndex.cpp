#include "player/FrameIndex.h"

#include "rtl/SysUtils.h"

#include <algorithm>

namespace player {

namespace {

std::size_t PaletteBytes(const ilda::Palette *palette)
{
    return palette ? sizeof(ilda::Palette) + palette->colors.capacity() * sizeof(ilda::Color) : 0;
}

// Thrown from the walk's handler once the frames wanted are found.
struct Found {};

} // namespace

void FrameIndex::Add(const ilda::FrameInfo &frame)
{
    const std::lock_guard lock(mutex_);
    count_ = frame.index + 1;
    if (frame.index % stride_ != 0)
        return;
    // A colour table before the frame belongs to it: the walk resumes there.
    const std::int64_t resume = frame.colorTable ? frame.colorTable->offset : frame.offset;
    if (checkpoints_.empty() || checkpoints_.back().palette != frame.palette)
        paletteBytes_ += PaletteBytes(frame.palette.get());
    checkpoints_.push_back({frame.index, resume, frame.palette});
    if (checkpoints_.size() > mostCheckpoints_ || paletteBytes_ > kMostPaletteBytes)
        Thin();
}

void FrameIndex::Thin()
{
    do {
        stride_ *= 2;
        std::erase_if(checkpoints_, [this](const Checkpoint &c) { return c.index % stride_ != 0; });
        paletteBytes_ = 0;
        const ilda::Palette *last = nullptr;
        for (const Checkpoint &c : checkpoints_) {
            if (c.palette.get() != last)
                paletteBytes_ += PaletteBytes(c.palette.get());
            last = c.palette.get();
        }
        // A single checkpoint is always kept: frame 0.
    } while (checkpoints_.size() > 1 &&
             (checkpoints_.size() > mostCheckpoints_ / 2 || paletteBytes_ > kMostPaletteBytes));
}

std::size_t FrameIndex::Count() const
{
    const std::lock_guard lock(mutex_);
    return count_;
}

std::size_t FrameIndex::Stride() const
{
    const std::lock_guard lock(mutex_);
    return stride_;
}

std::size_t FrameIndex::Checkpoints() const
{
    const std::lock_guard lock(mutex_);
    return checkpoints_.size();
}

std::optional<ilda::FrameInfo> FrameIndex::Locate(rtl::TStream &stream, std::size_t n)
{
    if (!run_.empty() && n >= run_.front().index && n <= run_.back().index)
        return run_[n - run_.front().index];
    Checkpoint from;
    {
        const std::lock_guard lock(mutex_);
        if (n >= count_ || checkpoints_.empty())
            return std::nullopt;
        const auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), n,
                                            [](std::size_t i, const Checkpoint &c) { return i < c.index; });
        from = *std::prev(after);
    }

    class Collector : public ilda::ReadHandler {
    public:
        Collector(std::size_t wanted, std::vector<ilda::FrameInfo> &run) : wanted_(wanted), run_(run) {}
        void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point>) override
        {
            if (frame.index < wanted_)
                return;
            StopFarOn(frame.offset);
            run_.push_back(frame);
            if (run_.size() == kRun)
                throw Found{};
        }
        // The run is only a head start for playing on: on the window's
        // thread, a long stretch of palettes after the frame is not read.
        void OnPalette(const ilda::Palette &palette) override { StopFarOn(palette.offset); }

    private:
        void StopFarOn(std::int64_t offset) const
        {
            if (!run_.empty() && offset - run_.front().offset > kRunReach)
                throw Found{};
        }

        std::size_t wanted_;
        std::vector<ilda::FrameInfo> &run_;
    };
    run_.clear();
    Collector collector(n, run_);
    try {
        stream.SetPosition(from.resume);
        ilda::Read(stream, collector,
                   {.points = false, .keep = 0, .keepPalettes = 0, .firstFrame = from.index, .palette = from.palette});
    } catch (const Found &) {
    } catch (const rtl::EStreamError &) {
        run_.clear();
    }
    if (run_.empty())
        return std::nullopt;
    return run_.front();
}

} // namespace player
