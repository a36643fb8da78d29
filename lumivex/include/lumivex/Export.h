// The ILDA file that File, Save and `lumivex convert` write for a point
// file: one frame of the plotted samples in one colour.
#pragma once

#include "ilda/IldaObj.h"
#include "ilda/Writing.h"
#include "lumivex/Colors.h"
#include "lumivex/PointFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace lumivex {

// One TFrm with the first PlottedSampleCount(ptCount) samples: X =
// (xBuf[i] - 128) * 255, Y = (128 - yBuf[i]) * 255, Z = 0, the colour and
// its ColorToIlda index, status 192 on the last point and 0 on the others.
// Fewer than ten points give a frame without points; a count above 2000
// never reads past the 2001 stored samples.
std::unique_ptr<TIldaFile> BuildIldaExport(const SampleBuffer &xBuf, const SampleBuffer &yBuf, std::uint16_t ptCount,
                                           TColor color);

// The same frame as an ILDA file that follows the standard, in format 0,
// 1, 4 or 5: the frame named name (its first eight characters), company
// kCompanyName, and the end marker after it. Formats 0 and 1 carry the
// index of the standard default palette nearest to color; black, which
// that palette lacks, becomes blanked points, which show black. Formats 4
// and 5 carry color itself.
// prepare, when set, turns the frame's points into the ones written (a
// frame prepared for a scanner); the last of them is then marked last.
using FramePreparation = std::function<std::vector<ilda::Point>(std::span<const ilda::Point>)>;
std::unique_ptr<ilda::SectionWriter> BuildStandardExport(const SampleBuffer &xBuf, const SampleBuffer &yBuf,
                                                         std::uint16_t ptCount, TColor color, std::uint8_t format,
                                                         const std::string &name, const FramePreparation &prepare = {});

constexpr const char *kCompanyName = "Lumivex";

// The status of the last exported point: last point and blanked.
constexpr std::uint8_t kLastPointStatus = 192;

} // namespace lumivex
