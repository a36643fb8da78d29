// Where a frame's points land on a projector: flips and the swap first,
// then size, rotation about the centre and offset, then the keystone, a
// perspective map that puts the square's corners where the setup says and
// keeps straight lines straight.
#pragma once

#include "projector/Setup.h"

#include <array>
#include <utility>

namespace projector {

// The perspective map of the square -kEdge..kEdge onto four corners
// (bottom-left, bottom-right, top-right, top-left), convex and in that
// order, as CheckSetup asks.
class Perspective {
public:
    explicit Perspective(const std::array<Point2, 4> &corners);
    // Inline, with the map below: a frame's every point goes through them.
    Point2 operator()(Point2 p) const
    {
        if (identity_)
            return p;
        const double w = 1 / (g_ * p.x + h_ * p.y + 1);
        return {(a_ * p.x + b_ * p.y + c_) * w, (d_ * p.x + e_ * p.y + f_) * w};
    }
    bool Identity() const { return identity_; }

private:
    void FromSquare(); // the coefficients for the square's own coordinates

    double a_ = 1, b_ = 0, c_ = 0, d_ = 0, e_ = 1, f_ = 0, g_ = 0, h_ = 0;
    bool identity_ = false;
};

class GeometryMap {
public:
    explicit GeometryMap(const Geometry &geometry);
    // Flips, swap, size, rotation and offset: into the square's space,
    // which may reach past its edge.
    Point2 Place(Point2 p) const
    {
        if (geometry_.flipX)
            p.x = -p.x;
        if (geometry_.flipY)
            p.y = -p.y;
        if (geometry_.swapXY)
            std::swap(p.x, p.y);
        p.x *= geometry_.size.x / 100;
        p.y *= geometry_.size.y / 100;
        return {p.x * cos_ - p.y * sin_ + geometry_.offset.x, p.x * sin_ + p.y * cos_ + geometry_.offset.y};
    }
    // The square's space onto the projector's.
    Point2 Keystone(Point2 p) const { return perspective_(p); }

private:
    Geometry geometry_;
    double cos_ = 1, sin_ = 0;
    Perspective perspective_;
};

} // namespace projector
