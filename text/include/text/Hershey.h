// Single-stroke text in Debian's Hershey fonts (libhersheyfont): each
// glyph is a few open strokes, drawn once by a laser, never as outlines.
#pragma once

#include "text/Shape.h"

#include "rtl/Result.h"

#include <string>
#include <vector>

namespace text {

// The font shown when none is named.
constexpr const char *kDefaultHersheyFont = "futural";

// The folder the fonts are read from.
std::string HersheyFontDir();

// The names of the installed fonts (their file names without .jhf), sorted.
std::vector<std::string> HersheyFonts();

bool IsHersheyFont(const std::string &name);

// The text in the named font. Letters the font lacks (it holds printable
// ASCII at most) are listed in missing and take a space's width.
rtl::Result<Shaped> ShapeHershey(const std::string &font, const std::u32string &letters);

} // namespace text
