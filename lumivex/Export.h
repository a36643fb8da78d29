// The ILDA file that File, Save and `lumivex convert` write for a point
// file: one frame of the plotted samples in one colour.
#pragma once

#include "ilda/IldaObj.h"
#include "lumivex/Colors.h"
#include "lumivex/PointFile.h"

#include <cstdint>
#include <memory>

namespace lumivex {

// One TFrm with the first PlottedSampleCount(ptCount) samples: X =
// (xBuf[i] - 128) * 255, Y = (128 - yBuf[i]) * 255, Z = 0, the colour and
// its ColorToIlda index, status 192 on the last point and 0 on the others.
// Fewer than ten points give a frame without points; a count above 2000
// never reads past the 2001 stored samples.
std::unique_ptr<TIldaFile> BuildIldaExport(const SampleBuffer &xBuf, const SampleBuffer &yBuf, std::uint16_t ptCount,
                                           TColor color);

// The status of the last exported point: last point and blanked.
constexpr std::uint8_t kLastPointStatus = 192;

} // namespace lumivex
