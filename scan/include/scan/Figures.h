// How well a frame sent to the scanner draws what was meant: the figures
// of the scanner model, for `lumivex ilda --scan`, `lumivex optimize`, the
// player's scanner view and the benchmarks alike.
#pragma once

#include "ilda/Codec.h"
#include "scan/Profile.h"

#include <cstddef>
#include <span>

namespace scan {

struct Figures {
    std::size_t points = 0;
    double ms = 0;           // frame time, points / rate
    double hz = 0;           // refresh rate, rate / points (0 for no point)
    double coverage = 100;   // % of the intended drawing's length drawn within tolerance
    double stray = 0;        // % of full scale: the farthest the drawn path gets from the drawing
    double strayShare = 0;   // % of the drawn path's length beyond tolerance
    double litStepMax = 0;   // % of full scale
    double blankStepMax = 0; // % of full scale
};

// sent as the scanner draws it, against the drawing that intended means
// (sent itself, or the frame it was made from).
Figures Measure(std::span<const ilda::Point> sent, std::span<const ilda::Point> intended, const Profile &profile);

} // namespace scan
