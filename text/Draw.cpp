// The placed strokes as ILDA points: cut at the edges, each segment once.
#include "text/Layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <unordered_set>

namespace text {

namespace {

constexpr double kEdge = kSpan / 2;
constexpr std::size_t kMostPoints = 65535;

struct Spot {
    std::int16_t x = 0, y = 0;
    bool operator==(const Spot &) const = default;
};

Spot Quantise(const Vec &v)
{
    auto unit = [](double value) { return static_cast<std::int16_t>(std::lround(std::clamp(value, -kEdge, kEdge))); };
    return {unit(v.x), unit(v.y)};
}

// The part of a to b inside the square, as the shares t0 <= t1 of the way;
// false when none of it is.
bool ClipShares(const Vec &a, const Vec &b, double &t0, double &t1)
{
    t0 = 0;
    t1 = 1;
    const double d[2] = {b.x - a.x, b.y - a.y}, p[2] = {a.x, a.y};
    for (int axis = 0; axis < 2; ++axis) {
        for (const double side : {-1.0, 1.0}) {
            const double room = kEdge - side * p[axis], step = side * d[axis];
            if (step == 0) {
                if (room < 0)
                    return false;
                continue;
            }
            const double t = room / step;
            if (step > 0)
                t1 = std::min(t1, t);
            else
                t0 = std::max(t0, t);
        }
    }
    return t0 <= t1;
}

Vec Along(const Vec &a, const Vec &b, double t)
{
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

// Builds the frame stroke by stroke, never lighting a segment twice.
class FrameBuilder {
public:
    explicit FrameBuilder(ilda::Color color) : color_(color) {}

    void Segment(const Spot &from, const Spot &to)
    {
        if (!drawn_.insert(Key(from, to)).second)
            return;
        if (points_.empty() || !(Position(points_.back()) == from) || points_.back().Blanked())
            points_.push_back(Make(from, false));
        points_.push_back(Make(to, true));
    }

    rtl::Result<std::vector<ilda::Point>> Finish()
    {
        if (points_.empty())
            points_.push_back(Make({}, false));
        if (points_.size() > kMostPoints)
            return rtl::Fail("the text needs " + std::to_string(points_.size()) +
                             " points; an ILDA frame holds at most 65535");
        points_.back().status |= ilda::kLastPointBit;
        return std::move(points_);
    }

private:
    static std::uint64_t Key(Spot a, Spot b)
    {
        auto packed = [](Spot s) { return std::uint32_t(std::uint16_t(s.x)) << 16 | std::uint16_t(s.y); };
        const std::uint64_t p = packed(a), q = packed(b);
        return p < q ? p << 32 | q : q << 32 | p;
    }
    static Spot Position(const ilda::Point &point) { return {point.x, point.y}; }

    ilda::Point Make(const Spot &spot, bool lit) const
    {
        ilda::Point point;
        point.x = spot.x;
        point.y = spot.y;
        point.status = lit ? 0 : ilda::kBlankingBit;
        point.color = lit ? color_ : 0;
        return point;
    }

    ilda::Color color_;
    std::vector<ilda::Point> points_;
    std::unordered_set<std::uint64_t> drawn_;
};

void AddStroke(const Polyline &stroke, const Placement &placement, FrameBuilder &frame)
{
    auto placed = [&](const Vec &v) {
        return Vec{v.x * placement.scale + placement.dx, v.y * placement.scale + placement.dy};
    };
    if (stroke.size() == 1) {
        const Vec dot = placed(stroke[0]);
        if (std::abs(dot.x) <= kEdge && std::abs(dot.y) <= kEdge)
            frame.Segment(Quantise(dot), Quantise(dot));
        return;
    }
    for (std::size_t i = 1; i < stroke.size(); ++i) {
        const Vec a = placed(stroke[i - 1]), b = placed(stroke[i]);
        double t0 = 0, t1 = 1;
        if (!ClipShares(a, b, t0, t1))
            continue;
        const Spot from = Quantise(Along(a, b, t0)), to = Quantise(Along(a, b, t1));
        if (!(from == to))
            frame.Segment(from, to);
    }
}

} // namespace

rtl::Result<std::vector<ilda::Point>> DrawText(const Shaped &shaped, const Placement &placement, ilda::Color color)
{
    FrameBuilder frame(color);
    for (const Polyline &stroke : shaped.strokes)
        AddStroke(stroke, placement, frame);
    return frame.Finish();
}

} // namespace text
