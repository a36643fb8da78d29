// Points of the frames the scanner model's tests are made of.
#pragma once

#include "ilda/Codec.h"

namespace scantest {

// Lit in white, or blanked.
inline ilda::Point At(int x, int y, bool lit = true)
{
    ilda::Point point;
    point.x = static_cast<std::int16_t>(x);
    point.y = static_cast<std::int16_t>(y);
    point.status = lit ? 0 : ilda::kBlankingBit;
    point.color = lit ? ilda::Rgb(255, 255, 255) : 0;
    return point;
}

} // namespace scantest
