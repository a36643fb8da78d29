// The lasers' lag made good: a projector's lasers switch later than its
// mirrors move (the profile's colour delay), so each point's light is sent
// that many points early.
#pragma once

#include "ilda/Codec.h"
#include "scan/Profile.h"

#include <span>
#include <vector>

namespace scan {

// frame with each laser's colour and blanking sent its delay in points
// before the point it belongs to; the frame loops, so the last points take
// the first ones' light. Positions and the other status bits stay. Drawn
// with the profile's delay, it shows what frame shows without one. With
// unequal delays a point may mix the colours of two; its colour index is
// then the first lit channel's point's (red, green, blue).
std::vector<ilda::Point> CompensateColorDelay(std::span<const ilda::Point> frame, const Profile &profile);

} // namespace scan
