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

// Colours darker than this luminance are invisible on a laser.
constexpr double kDarkLuminance = 0.20;

// What becomes of dark paint.
enum class DarkRule { Keep, Replace, Drop };

struct ImportOptions {
    DarkRule dark = DarkRule::Keep;
    ilda::Color darkColor = ilda::Rgb(255, 255, 255); // with Replace
};

struct Drawing {
    std::vector<ilda::Point> points; // each polyline: a blanked move to its start, then its lit points
    std::string problem;             // set when the drawing was refused, saying why
    std::vector<std::string> notes;  // what was changed or left out, one line each
};

// Reads the drawing (plain or gzip-compressed) with Qt SVG and fits its view
// box into the ILDA square, keeping its aspect, Y up. Hidden and fully
// transparent elements, the page's background and images are left out;
// text is drawn as its outlines. Without a Qt application it makes one on
// the offscreen platform, so it answers without a display.
Drawing ImportSvg(std::span<const std::uint8_t> bytes, const ImportOptions &options = {});

// Rec. 709 luma of an sRGB colour, 0 to 1.
double Luminance(ilda::Color color);

} // namespace svgin
