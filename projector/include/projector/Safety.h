// Whether the beam keeps out of the blank zones once the scanner has drawn
// a frame: the scanner model's mirror (colour delay included) followed
// through the frame as the stage sends it.
#pragma once

#include "ilda/Codec.h"
#include "projector/Setup.h"

#include <span>

namespace projector {

// The lit samples of the mirror's path that lie inside a blank zone
// farther than the scanner's tolerance from its edge; 0 for a safe frame.
std::size_t LitSamplesInBlankZones(std::span<const ilda::Point> sent, const Setup &setup);

} // namespace projector
