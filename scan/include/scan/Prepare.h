// Frames prepared for a scanner: blanked travel between strokes, settling
// before the beam comes on, dwell where the drawing turns, steps no longer
// than the profile allows.
#pragma once

#include "ilda/Codec.h"
#include "scan/Profile.h"

#include <span>
#include <vector>

namespace scan {

// The frame as the profile's scanner should be sent it; it starts blanked
// and its last point carries the last-point bit. Points keep their colour,
// and their colour index for indexed formats.
std::vector<ilda::Point> PrepareFrame(std::span<const ilda::Point> frame, const Profile &profile);

} // namespace scan
