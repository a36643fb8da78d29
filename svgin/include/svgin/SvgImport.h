// An SVG drawing as one ILDA frame: strokes, and the outlines of filled
// shapes, as lit polylines joined by blanked moves.
#pragma once

#include "ilda/Codec.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace svgin {

// Curves are flattened to within this share of full scale.
constexpr double kFlatness = 0.0005;

struct Drawing {
    std::vector<ilda::Point> points; // each polyline: a blanked move to its start, then its lit points
    std::string problem;             // set when the drawing was refused, saying why
};

// Reads the drawing with Qt SVG and fits its view box into the ILDA square,
// keeping its aspect, Y up. Hidden and fully transparent elements are left
// out; text is drawn as its outlines. Without a Qt application it makes one
// on the offscreen platform, so it answers without a display.
Drawing ImportSvg(std::span<const std::uint8_t> bytes);

} // namespace svgin
