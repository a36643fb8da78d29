// The program's colour values (0x00BBGGRR, top bit set for a system colour
// by index) turned into Qt colours.
#pragma once

#include <QColor>
#include <cstdint>

namespace toolkit {

using TColor = std::uint32_t;

constexpr TColor clBtnFace = 0x8000000F;      // system colour 15
constexpr TColor clBtnShadow = 0x80000010;    // system colour 16
constexpr TColor clBtnHighlight = 0x80000014; // system colour 20
constexpr TColor clWindowText = 0x80000008;   // system colour 8

// System colours come from the application palette, so they follow the
// desktop's theme; plain values are taken as they are.
QColor ToQColor(TColor color);

// The plain value of a Qt colour (alpha dropped).
TColor FromQColor(const QColor &color);

} // namespace toolkit
