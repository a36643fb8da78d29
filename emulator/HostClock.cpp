#include "emulator/HostClock.h"

#include <algorithm>
#include <cmath>

namespace emu {

namespace {

constexpr double kRelaxPerSecond = 100e-6;
constexpr double kRelearnBeyond = 1; // seconds

double Seconds(dac::Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

dac::Clock::time_point HostClock::Plays(std::uint32_t timestamp, dac::Clock::time_point now)
{
    if (hold_ <= 0)
        return now;
    // The field wraps after 71 minutes: a step is the nearer way round.
    stamp_ = last_ ? stamp_ + static_cast<std::int32_t>(timestamp - *last_) : timestamp;
    last_ = timestamp;
    const double seen = Seconds(now.time_since_epoch()) - static_cast<double>(stamp_) * 1e-6;
    if (!offset_ || std::abs(seen - *offset_) > kRelearnBeyond)
        offset_ = seen;
    else
        offset_ = std::min(*offset_ + kRelaxPerSecond * Seconds(now - offsetAt_), seen);
    offsetAt_ = now;
    const auto plays = dac::Clock::time_point(std::chrono::duration_cast<dac::Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(stamp_) * 1e-6 + *offset_ + hold_)));
    return std::max(now, plays);
}

} // namespace emu
