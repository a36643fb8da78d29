// A line of text placed in the ILDA square, still or scrolling, and drawn
// as one frame of points.
#pragma once

#include "text/Shape.h"

#include "ilda/Codec.h"
#include "rtl/Result.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace text {

// Fitted text spans at most this share of the square when no height is asked.
constexpr double kFitShare = 0.9;
// The line's height, in % of the square, of a scroll that names none.
constexpr double kScrollHeight = 25;
// The widest a drawing may span: -32767 to 32767, centred on 0.
constexpr double kSpan = 65534;

struct Box {
    double left = 0, right = 0, bottom = 0, top = 0;
};

// What the strokes light, in font units; nothing when they light nothing.
std::optional<Box> InkBox(const Shaped &shaped);

struct Placement {
    double scale = 1;    // ILDA units per font unit
    double dx = 0;       // added after scaling; a scroll moves it frame by frame
    double dy = 0;       // added after scaling
    double height = 0;   // the font's line height as drawn, in % of the square
    bool shrunk = false; // drawn smaller than asked, to fit the square
};

// Centred, the line heightPercent of the square high (0: as large as fits
// in kFitShare of it); shrunk when that would leave the square.
rtl::Result<Placement> PlaceStill(const Shaped &shaped, double heightPercent);

// Centred upright, heightPercent high (0: kScrollHeight); shrunk only
// when taller than the square.
rtl::Result<Placement> PlaceScroll(const Shaped &shaped, double heightPercent);

// Frame index of count of one pass from right to left: the first has the
// text just beyond the right edge, the one after the last has it just
// beyond the left, so a loop runs on without a jump.
Placement ScrollStep(const Shaped &shaped, Placement placement, std::size_t index, std::size_t count);

// The strokes placed, cut at the square's edges: a blanked move to each
// stroke, each segment lit once (one drawn already is crossed dark), the
// last point marked. A frame that shows nothing is one blanked point at
// the centre. Refused when it needs more points than a frame holds.
rtl::Result<std::vector<ilda::Point>> DrawText(const Shaped &shaped, const Placement &placement, ilda::Color color);

} // namespace text
