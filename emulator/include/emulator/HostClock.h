// How an IDN unit that holds frames relates the host's timestamps (32-bit
// microseconds on the host's own clock) to its own clock: by the message
// that came earliest for its stamp, so that a late one cannot shift the
// rest. The relation relaxes slowly, following clocks that drift apart,
// and is learnt again from a stamp a second off it (a new host, or one
// that started again).
#pragma once

#include "dac/Net.h"

#include <cstdint>
#include <optional>

namespace emu {

class HostClock {
public:
    explicit HostClock(double holdSeconds) : hold_(holdSeconds) {}
    // When what is stamped so and arrived at now plays: hold past its stamp,
    // or on arrival when that is later.
    dac::Clock::time_point Plays(std::uint32_t timestamp, dac::Clock::time_point now);

private:
    double hold_;
    std::optional<std::uint32_t> last_;
    std::int64_t stamp_ = 0;       // microseconds on the host's clock, unwrapped
    std::optional<double> offset_; // seconds: this clock's epoch reading minus the host's, the least seen
    dac::Clock::time_point offsetAt_{};
};

} // namespace emu
