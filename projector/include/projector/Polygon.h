// Plane geometry the zones and the keystone stand on, in ILDA units.
#pragma once

#include "projector/Setup.h"

#include <optional>
#include <span>

namespace projector {

// Twice the signed area of the triangle a b c: > 0 when c lies left of a->b.
double Cross(Point2 a, Point2 b, Point2 c);

// Where segment a-b crosses segment c-d, as the share of the way from a
// to b; nothing when they do not cross or run parallel.
std::optional<double> Crossing(Point2 a, Point2 b, Point2 c, Point2 d);

// Two edges that are not neighbours touch or cross, or two neighbours
// fold back onto each other.
bool CrossesItself(std::span<const Point2> polygon);

// Inside by the even-odd rule.
bool Inside(std::span<const Point2> polygon, Point2 p);

// The distance from p to the polygon's outline.
double DistanceToEdge(std::span<const Point2> polygon, Point2 p);

} // namespace projector
