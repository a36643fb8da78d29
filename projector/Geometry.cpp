#include "projector/Geometry.h"

#include <cmath>
#include <numbers>
#include <utility>

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
        return;
    }
    const double det = dx1 * dy2 - dx2 * dy1;
    g_ = (dx3 * dy2 - dx2 * dy3) / det;
    h_ = (dx1 * dy3 - dx3 * dy1) / det;
    a_ = x1 - x0 + g_ * x1, b_ = x3 - x0 + h_ * x3, c_ = x0;
    d_ = y1 - y0 + g_ * y1, e_ = y3 - y0 + h_ * y3, f_ = y0;
}

Point2 Perspective::operator()(Point2 p) const
{
    if (identity_)
        return p;
    const double u = (p.x + kEdge) / (2 * kEdge), v = (p.y + kEdge) / (2 * kEdge);
    const double w = g_ * u + h_ * v + 1;
    return {(a_ * u + b_ * v + c_) / w, (d_ * u + e_ * v + f_) / w};
}

GeometryMap::GeometryMap(const Geometry &geometry) : geometry_(geometry), perspective_(geometry.keystone)
{
    const double radians = geometry.rotate * std::numbers::pi / 180;
    cos_ = std::cos(radians);
    sin_ = std::sin(radians);
}

Point2 GeometryMap::Place(Point2 p) const
{
    if (geometry_.flipX)
        p.x = -p.x;
    if (geometry_.flipY)
        p.y = -p.y;
    if (geometry_.swapXY)
        std::swap(p.x, p.y);
    p.x *= geometry_.size.x / 100;
    p.y *= geometry_.size.y / 100;
    const Point2 turned{p.x * cos_ - p.y * sin_, p.x * sin_ + p.y * cos_};
    return {turned.x + geometry_.offset.x, turned.y + geometry_.offset.y};
}

} // namespace projector
