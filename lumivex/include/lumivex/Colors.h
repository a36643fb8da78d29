// Colours of the swatches and their ILDA colour indices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lumivex {

using TColor = std::uint32_t; // 0x00BBGGRR

constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBlack = 0x000000;

// The ILDA colour index the export writes for a colour; 0 for colours
// outside the nine swatches.
std::uint8_t ColorToIlda(TColor color);

// One of the nine swatch colours.
bool IsSwatchColor(TColor color);

// "red", "lime", ... (any case), "#RRGGBB" or "0xBBGGRR"; nothing for
// anything else.
std::optional<TColor> ParseColor(const std::string &text);

} // namespace lumivex
