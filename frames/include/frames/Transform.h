// Moving frames about: flips, rotation, scale, offset and fitting into the
// square, as one affine map, then clipping to the ILDA range.
#pragma once

#include "ilda/Codec.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace frames {

// x' = a x + b y + c, y' = d x + e y + f, in ILDA units.
struct Affine {
    double a = 1, b = 0, c = 0;
    double d = 0, e = 1, f = 0;

    // This map followed by next.
    Affine Then(const Affine &next) const;
    bool Identity() const { return a == 1 && b == 0 && c == 0 && d == 0 && e == 1 && f == 0; }
};

// What the command line asks, applied in this order.
struct TransformOptions {
    bool flipX = false;
    bool flipY = false;
    double rotate = 0; // degrees, counterclockwise (Y up)
    double scaleX = 1, scaleY = 1;
    double offsetX = 0, offsetY = 0;
};
Affine BuildAffine(const TransformOptions &options);

// The extent of points under a map, before clipping.
struct Extent {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool empty = true;

    void Add(double x, double y);
    void Add(std::span<const ilda::Point> points, const Affine &map);
};

// Scales and centres extent into the full square, keeping its aspect,
// leaving margin percent of the side free on every edge.
Affine FitAffine(const Extent &extent, double marginPercent);

// Maps points and clips them to -32768..32767 into out. A lit line that
// leaves the square is cut at its edge, and the beam moves blanked to
// where the line comes back in; a move outside ends blanked at the edge.
// Nothing is wrapped, and out holds at most twice the points.
struct ClipCount {
    std::size_t outside = 0; // points that lay outside the square
    std::size_t inside = 0;  // points that lay in it
};
ClipCount MapAndClip(std::span<const ilda::Point> points, const Affine &map, std::vector<ilda::Point> &out);

} // namespace frames
