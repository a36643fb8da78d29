// Text in any installed font, through Qt: the outlines of its glyphs as
// closed strokes, for the same layout as the single-stroke fonts.
#pragma once

#include "text/Shape.h"

#include "rtl/Result.h"

#include <optional>
#include <string>
#include <vector>

namespace outlinefont {

// The installed font families, as Qt spells them, sorted.
std::vector<std::string> OutlineFamilies();

// The family named name, in any case, as Qt spells it; nothing when none is installed.
std::optional<std::string> FindFamily(const std::string &name);

// The text in family: each glyph's outline, curves flattened. Letters the
// font itself lacks are listed in missing and drawn as spaces, not taken
// from another font.
rtl::Result<text::Shaped> ShapeOutline(const std::string &family, const std::u32string &letters);

} // namespace outlinefont
