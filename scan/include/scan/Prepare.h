// Frames prepared for a scanner: blanked travel between strokes, settling
// before the beam comes on, dwell where the drawing turns, steps no longer
// than the profile allows.
#pragma once

#include "ilda/Codec.h"
#include "rtl/Result.h"
#include "scan/Profile.h"

#include <span>
#include <vector>

namespace scan {

// The frame as the profile's scanner should be sent it; it starts blanked
// and its last point carries the last-point bit. Points keep their colour,
// and their colour index for indexed formats.
// A profile with a refresh floor (PointBudget) gets at most that many
// points; a frame that cannot be drawn within it comes back dark.
std::vector<ilda::Point> PrepareFrame(std::span<const ilda::Point> frame, const Profile &profile);

// The same, but a frame that cannot be drawn within the floor is refused:
// the step limits and blanked travel are kept first, then dwell is
// shortened, strokes that continue one another are drawn in one sweep,
// and the smallest strokes are left out last.
rtl::Result<std::vector<ilda::Point>> PrepareWithinBudget(std::span<const ilda::Point> frame, const Profile &profile);

} // namespace scan
