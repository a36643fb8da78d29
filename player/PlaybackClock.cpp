#include "player/PlaybackClock.h"

#include <algorithm>
#include <cmath>

namespace player {

void PlaybackClock::Start(std::size_t frame, Time now, double rate)
{
    start_ = frame;
    started_ = now;
    rate_ = rate > 0 ? rate : 1;
    shownStep_ = 0;
}

PlaybackClock::Due PlaybackClock::FrameAt(Time now, std::size_t count, bool loop) const
{
    if (count == 0)
        return {0, true};
    const double seconds = std::chrono::duration<double>(now - started_).count();
    // A hair over the exact tick: a timer firing on time shows the new frame.
    const double steps = std::max(0.0, std::floor(seconds * rate_ + 1e-6));
    const double frame = double(start_) + steps;
    const auto step = static_cast<std::uint64_t>(steps);
    if (frame < double(count))
        return {static_cast<std::size_t>(frame), false, step};
    if (!loop)
        return {count - 1, true, count - 1 > start_ ? count - 1 - start_ : 0};
    return {static_cast<std::size_t>(std::fmod(frame, double(count))), false, step};
}

PlaybackClock::Due PlaybackClock::Advance(Time now, std::size_t count, bool loop)
{
    const Due due = FrameAt(now, count, loop);
    if (due.step > shownStep_ + 1)
        skipped_ += due.step - shownStep_ - 1;
    shownStep_ = std::max(shownStep_, due.step);
    return due;
}

} // namespace player
