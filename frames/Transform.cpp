#include "frames/Transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace frames {

namespace {

constexpr double kLow = -32768.0;
constexpr double kHigh = 32767.0;
// A point this close outside is on the edge: flipping -32768 gives 32768.
constexpr double kSnap = 1.0;

struct Pt {
    double x, y;
};

bool Inside(Pt p)
{
    return p.x >= kLow - kSnap && p.x <= kHigh + kSnap && p.y >= kLow - kSnap && p.y <= kHigh + kSnap;
}

std::int16_t Coordinate(double v)
{
    return static_cast<std::int16_t>(std::clamp(std::round(v), kLow, kHigh));
}

// The part of the line from p to q inside the square, as [t0, t1] of it
// (Liang-Barsky); nothing when it misses.
std::optional<std::pair<double, double>> ClipLine(Pt p, Pt q)
{
    double t0 = 0, t1 = 1;
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double ps[] = {-dx, dx, -dy, dy};
    const double qs[] = {p.x - kLow, kHigh - p.x, p.y - kLow, kHigh - p.y};
    for (int i = 0; i < 4; ++i) {
        if (ps[i] == 0) {
            if (qs[i] < 0)
                return std::nullopt;
            continue;
        }
        const double t = qs[i] / ps[i];
        if (ps[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return std::nullopt;
    return std::pair{t0, t1};
}

} // namespace

Affine Affine::Then(const Affine &n) const
{
    return {n.a * a + n.b * d, n.a * b + n.b * e, n.a * c + n.b * f + n.c,
            n.d * a + n.e * d, n.d * b + n.e * e, n.d * c + n.e * f + n.f};
}

Affine BuildAffine(const TransformOptions &o)
{
    Affine map;
    if (o.flipX)
        map = map.Then({-1, 0, 0, 0, 1, 0});
    if (o.flipY)
        map = map.Then({1, 0, 0, 0, -1, 0});
    if (o.rotate != 0) {
        const double turn = std::fmod(o.rotate, 360.0);
        // Exact quarter turns keep whole coordinates whole.
        double c = std::cos(turn * std::numbers::pi / 180), s = std::sin(turn * std::numbers::pi / 180);
        if (std::fmod(turn, 90.0) == 0) {
            c = std::round(c);
            s = std::round(s);
        }
        map = map.Then({c, -s, 0, s, c, 0});
    }
    map = map.Then({o.scaleX, 0, 0, 0, o.scaleY, 0});
    return map.Then({1, 0, o.offsetX, 0, 1, o.offsetY});
}

void Extent::Add(double x, double y)
{
    if (empty) {
        minX = maxX = x;
        minY = maxY = y;
        empty = false;
        return;
    }
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
}

void Extent::Add(std::span<const ilda::Point> points, const Affine &m)
{
    for (const ilda::Point &p : points)
        Add(m.a * p.x + m.b * p.y + m.c, m.d * p.x + m.e * p.y + m.f);
}

Affine FitAffine(const Extent &extent, double marginPercent)
{
    if (extent.empty)
        return {};
    const double side = (kHigh - kLow) * (1 - 2 * marginPercent / 100);
    const double w = extent.maxX - extent.minX, h = extent.maxY - extent.minY;
    const double longest = std::max(w, h);
    const double k = longest > 0 ? side / longest : 1;
    const double centre = (kLow + kHigh) / 2;
    const double cx = (extent.minX + extent.maxX) / 2, cy = (extent.minY + extent.maxY) / 2;
    return {k, 0, centre - k * cx, 0, k, centre - k * cy};
}

ClipCount MapAndClip(std::span<const ilda::Point> points, const Affine &m, std::vector<ilda::Point> &out)
{
    out.clear();
    ClipCount count;
    auto emit = [&out](Pt at, const ilda::Point &from, bool blanked) {
        ilda::Point p = from;
        p.x = Coordinate(at.x);
        p.y = Coordinate(at.y);
        if (blanked) {
            p.status |= ilda::kBlankingBit;
            p.color = 0;
        }
        out.push_back(p);
    };
    Pt prev{0, 0};
    bool prevIn = true;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ilda::Point &point = points[i];
        const Pt q{m.a * point.x + m.b * point.y + m.c, m.d * point.x + m.e * point.y + m.f};
        const bool in = Inside(q);
        ++(in ? count.inside : count.outside);
        if (in && (prevIn || i == 0 || point.Blanked())) {
            emit(q, point, false);
        } else if (i == 0 || point.Blanked()) {
            emit(q, point, true); // a move: clamped to the edge, dark
        } else if (const auto part = ClipLine(prev, q)) {
            const Pt a{prev.x + part->first * (q.x - prev.x), prev.y + part->first * (q.y - prev.y)};
            const Pt b{prev.x + part->second * (q.x - prev.x), prev.y + part->second * (q.y - prev.y)};
            if (!prevIn)
                emit(a, point, true); // the beam comes back in here, dark until now
            emit(in ? q : b, point, false);
        } else {
            emit(q, point, true);
        }
        prev = q;
        prevIn = in;
    }
    // Only the frame's last point ends it, whatever the cutting added.
    for (ilda::Point &p : out)
        p.status &= static_cast<std::uint8_t>(~ilda::kLastPointBit);
    if (!points.empty() && points.back().Last() && !out.empty())
        out.back().status |= ilda::kLastPointBit;
    return count;
}

} // namespace frames
