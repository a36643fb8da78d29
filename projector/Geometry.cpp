#include "projector/Geometry.h"

#include <cmath>
#include <numbers>

namespace projector {

Perspective::Perspective(const std::array<Point2, 4> &corners)
{
    const Geometry square;
    identity_ = corners == square.keystone;
    // The unit square's corners onto the four points (Heckbert's closed form);
    // the square's own coordinates are scaled into it in operator().
    const auto [x0, y0] = corners[0];
    const auto [x1, y1] = corners[1];
    const auto [x2, y2] = corners[2];
    const auto [x3, y3] = corners[3];
    const double dx1 = x1 - x2, dx2 = x3 - x2, dx3 = x0 - x1 + x2 - x3;
    const double dy1 = y1 - y2, dy2 = y3 - y2, dy3 = y0 - y1 + y2 - y3;
    if (dx3 == 0 && dy3 == 0) {
        a_ = x1 - x0, b_ = x2 - x1, c_ = x0;
        d_ = y1 - y0, e_ = y2 - y1, f_ = y0;
        FromSquare();
        return;
    }
    const double det = dx1 * dy2 - dx2 * dy1;
    g_ = (dx3 * dy2 - dx2 * dy3) / det;
    h_ = (dx1 * dy3 - dx3 * dy1) / det;
    a_ = x1 - x0 + g_ * x1, b_ = x3 - x0 + h_ * x3, c_ = x0;
    d_ = y1 - y0 + g_ * y1, e_ = y3 - y0 + h_ * y3, f_ = y0;
    FromSquare();
}

void Perspective::FromSquare()
{
    // u = (x + kEdge) / (2 kEdge), and the same for v, folded in.
    const double s = 1 / (2 * kEdge);
    auto fold = [&](double &p, double &q, double &r) {
        r += (p + q) / 2;
        p *= s;
        q *= s;
    };
    fold(a_, b_, c_);
    fold(d_, e_, f_);
    double one = 1;
    fold(g_, h_, one);
    c_ /= one, f_ /= one, a_ /= one, b_ /= one, d_ /= one, e_ /= one, g_ /= one, h_ /= one;
}

GeometryMap::GeometryMap(const Geometry &geometry) : geometry_(geometry), perspective_(geometry.keystone)
{
    const double radians = geometry.rotate * std::numbers::pi / 180;
    cos_ = std::cos(radians);
    sin_ = std::sin(radians);
}

} // namespace projector
