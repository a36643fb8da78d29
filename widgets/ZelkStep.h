// Position arithmetic shared by the parts of TZelkScrollBar.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

// position + delta, held to the 32-bit range: a step past the largest
// position must not wrap round to a negative one.
// delta stays far inside 64 bits: a step count times a 16-bit step.
inline std::int32_t StepFrom(std::int32_t position, std::int64_t delta)
{
    const std::int64_t to = std::int64_t(position) + delta;
    return std::int32_t(std::clamp<std::int64_t>(to, std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
}
