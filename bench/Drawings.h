// Frames of the kinds laser shows are made of, generated: outlines of
// glyphs, drawings of many strokes, and frames some other program already
// prepared. What the optimiser is measured on against the fixed recipe.
#pragma once

#include "ilda/Codec.h"

#include <string>
#include <vector>

namespace bench {

struct Drawing {
    std::string kind; // "glyphs", "strokes" or "prepared"
    std::vector<ilda::Point> points;
};

// count frames of each kind (the prepared ones are the fixed recipe's
// output of the others), the same for the same seed.
std::vector<Drawing> MakeDrawings(int count, unsigned seed = 7);

// Dashed and dotted lines of random angle, length, dash and gap, each
// dash a blanked jump and one lit point, with the same lines drawn whole.
struct DashedLines {
    Drawing dashed; // kind "dashes"
    std::vector<ilda::Point> whole;
};
std::vector<DashedLines> MakeDashedLines(int count, unsigned seed = 7);

} // namespace bench
