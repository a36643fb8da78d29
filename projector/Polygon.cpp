#include "projector/Polygon.h"

#include <algorithm>
#include <cmath>

namespace projector {

double Cross(Point2 a, Point2 b, Point2 c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

std::optional<double> Crossing(Point2 a, Point2 b, Point2 c, Point2 d)
{
    // Ends on one side of the other line: no crossing, and no division.
    const double c1 = Cross(c, d, a), c2 = Cross(c, d, b);
    if ((c1 > 0 && c2 > 0) || (c1 < 0 && c2 < 0))
        return std::nullopt;
    const double rx = b.x - a.x, ry = b.y - a.y, sx = d.x - c.x, sy = d.y - c.y;
    const double denominator = rx * sy - ry * sx;
    if (denominator == 0)
        return std::nullopt;
    const double t = ((c.x - a.x) * sy - (c.y - a.y) * sx) / denominator;
    const double u = ((c.x - a.x) * ry - (c.y - a.y) * rx) / denominator;
    if (t < 0 || t > 1 || u < 0 || u > 1)
        return std::nullopt;
    return t;
}

namespace {

bool OnSegment(Point2 a, Point2 b, Point2 p)
{
    return Cross(a, b, p) == 0 && std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

bool Touch(Point2 a, Point2 b, Point2 c, Point2 d)
{
    const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    return OnSegment(c, d, a) || OnSegment(c, d, b) || OnSegment(a, b, c) || OnSegment(a, b, d);
}

} // namespace

bool CrossesItself(std::span<const Point2> polygon)
{
    const std::size_t n = polygon.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point2 a = polygon[i], b = polygon[(i + 1) % n];
        // A neighbour shares one corner; it may only touch there.
        const Point2 next = polygon[(i + 2) % n];
        if (OnSegment(a, b, next) || OnSegment(b, next, a))
            return true;
        for (std::size_t j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1)
                continue;
            if (Touch(a, b, polygon[j], polygon[(j + 1) % n]))
                return true;
        }
    }
    return false;
}

bool Inside(std::span<const Point2> polygon, Point2 p)
{
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point2 a = polygon[i], b = polygon[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

double DistanceToEdge(std::span<const Point2> polygon, Point2 p)
{
    double nearest = INFINITY;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point2 a = polygon[j], b = polygon[i];
        const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
        const double t = length2 == 0 ? 0 : std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
        nearest = std::min(nearest, std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)));
    }
    return nearest;
}

} // namespace projector
