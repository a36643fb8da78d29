// Test patterns for setting up a projector: a square with its circle and
// diagonals to tune the scanner, a grid for the keystone, colour bars for
// the calibration. They are drawings, not yet prepared for a scanner.
#pragma once

#include "ilda/Codec.h"

#include <optional>
#include <string_view>
#include <vector>

namespace projector {

enum class Pattern { Tuning, Grid, Colors };

// tuning, grid or colors.
std::optional<Pattern> FindPattern(std::string_view name);
const char *PatternName(Pattern pattern);

// Lit lines joined by blanked moves, starting blanked.
std::vector<ilda::Point> DrawPattern(Pattern pattern);

} // namespace projector
