// A line of text as strokes, in the font's own units: what a font yields
// and what the layout places in the ILDA square.
#pragma once

#include <string>
#include <vector>

namespace text {

struct Vec {
    double x = 0;
    double y = 0;
};

// A stroke: the beam lit from the first vertex to the last.
using Polyline = std::vector<Vec>;

struct Shaped {
    std::vector<Polyline> strokes; // Y up, the baseline at 0, the line starting at x 0
    double top = 0;                // the font's line box: the highest any glyph reaches
    double bottom = 0;             // and the lowest
    std::u32string missing;        // letters the font lacks, each once, in order: drawn as spaces
};

// "é (U+00E9), ü (U+00FC)": the letters as a user reads them.
std::string DescribeLetters(const std::u32string &letters);

} // namespace text
