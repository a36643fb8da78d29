#include "emulator/Tally.h"

#include <algorithm>

namespace emu {

void Tally::Log(char letter)
{
    std::lock_guard lock(mutex_);
    if (figures_.log.size() < kMostLogged)
        figures_.log.push_back(letter);
}

void Tally::Count(std::uint64_t EmulatorFigures::*field, std::uint64_t by)
{
    std::lock_guard lock(mutex_);
    figures_.*field += by;
}

void Tally::Arrival(double seconds)
{
    std::lock_guard lock(mutex_);
    if (figures_.frameArrivals.size() < kMostArrivals)
        figures_.frameArrivals.push_back(seconds);
}

void Tally::RateChange(std::uint64_t point, std::uint32_t rate)
{
    std::lock_guard lock(mutex_);
    if (figures_.rateChanges.size() < kMostArrivals)
        figures_.rateChanges.emplace_back(point, rate);
}

void Tally::FrameStart(const ilda::Point &first, dac::Clock::time_point at)
{
    if (first.Blanked() || first.x != -32768)
        return;
    std::lock_guard lock(mutex_);
    auto &starts = figures_.frameStarts;
    // An Ether Dream shows no frame boundaries: a frame repeated is one start.
    if (starts.size() >= kMostArrivals || (!starts.empty() && starts.back().second == first.y))
        return;
    starts.emplace_back(std::chrono::duration<double>(at.time_since_epoch()).count(), first.y);
}

void Tally::KeepFrame(std::vector<ilda::Point> frame)
{
    if (!keep_)
        return;
    if (frame.size() > kMostPerFrame)
        frame.resize(kMostPerFrame);
    std::lock_guard lock(mutex_);
    // Empty frames count too: a flood of them must not grow the list.
    if (keptPoints_ >= kMostKeptPoints || recording_.size() >= kMostKeptFrames)
        return;
    keptPoints_ += frame.size();
    recording_.push_back(std::move(frame));
}

void Tally::KeepPoints(std::span<const ilda::Point> points, std::size_t perFrame)
{
    if (!keep_)
        return;
    perFrame = std::clamp<std::size_t>(perFrame, 1, kMostPerFrame);
    std::lock_guard lock(mutex_);
    for (const ilda::Point &point : points) {
        if (keptPoints_ >= kMostKeptPoints)
            return;
        if (recording_.empty() || recording_.back().size() >= perFrame) {
            if (recording_.size() >= kMostKeptFrames)
                return;
            recording_.emplace_back();
        }
        recording_.back().push_back(point);
        ++keptPoints_;
    }
}

EmulatorFigures Tally::Figures() const
{
    std::lock_guard lock(mutex_);
    return figures_;
}

std::vector<std::vector<ilda::Point>> Tally::Recording() const
{
    std::lock_guard lock(mutex_);
    return recording_;
}

} // namespace emu
