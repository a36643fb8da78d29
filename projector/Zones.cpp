#include "projector/Zones.h"

#include "projector/Polygon.h"
#include "scan/Mirror.h"

#include <algorithm>
#include <cmath>

namespace projector {

namespace {

Limits BoxOf(const std::vector<Point2> &polygon)
{
    Limits box{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const Point2 p : polygon) {
        box.left = std::min(box.left, p.x);
        box.bottom = std::min(box.bottom, p.y);
        box.right = std::max(box.right, p.x);
        box.top = std::max(box.top, p.y);
    }
    return box;
}

bool Meets(const Limits &box, Point2 a, Point2 b)
{
    return std::max(a.x, b.x) >= box.left && std::min(a.x, b.x) <= box.right && std::max(a.y, b.y) >= box.bottom &&
           std::min(a.y, b.y) <= box.top;
}

std::vector<Point2> Outline(const Limits &l)
{
    return {{l.left, l.bottom}, {l.right, l.bottom}, {l.right, l.top}, {l.left, l.top}};
}

ilda::Color Dimmed(ilda::Color color, double level)
{
    const unsigned top = std::max({color & 0xFF, color >> 8 & 0xFF, color >> 16 & 0xFF});
    const double most = level * 255;
    if (top <= most)
        return color;
    const double share = most / top;
    ilda::Color out = 0;
    for (int shift : {0, 8, 16})
        out |= static_cast<ilda::Color>(std::floor((color >> shift & 0xFF) * share)) << shift;
    return out;
}

bool Within(const Limits &box, Point2 p)
{
    return p.x >= box.left && p.x <= box.right && p.y >= box.bottom && p.y <= box.top;
}

} // namespace

ZoneCutter::ZoneCutter(const std::vector<Zone> &zones, const Limits &bounds) : bounds_(bounds)
{
    for (const Zone &zone : zones)
        regions_.push_back({zone.points, zone.kind == ZoneKind::Blank, zone.brightness / 100, BoxOf(zone.points)});
    // The bounds' edge cuts lines as a zone's does.
    regions_.push_back({Outline(bounds), false, 1, bounds});
}

ZoneCutter::Light ZoneCutter::LightAt(Point2 p) const
{
    Light light;
    if (!Within(bounds_, p))
        return {true, 0};
    for (std::size_t k = 0; k + 1 < regions_.size(); ++k) {
        const Region &r = regions_[k];
        if (!Within(r.box, p) || !Inside(r.polygon, p))
            continue;
        if (r.blank)
            return {true, 0};
        light.level = std::min(light.level, r.level);
    }
    return light;
}

void ZoneCutter::Crossings(Point2 a, Point2 b, std::vector<double> &into) const
{
    into.clear();
    for (std::size_t k = 0; k < regions_.size(); ++k) {
        const Region &r = regions_[k];
        // A line inside the bounds never meets their edge.
        const bool bounds = k + 1 == regions_.size();
        if (bounds ? Within(bounds_, a) && Within(bounds_, b) : !Meets(r.box, a, b))
            continue;
        for (std::size_t i = 0, j = r.polygon.size() - 1; i < r.polygon.size(); j = i++)
            if (const auto t = Crossing(a, b, r.polygon[j], r.polygon[i]); t && *t > 0 && *t < 1)
                into.push_back(*t);
    }
    std::sort(into.begin(), into.end());
}

bool ZoneCutter::Clear(Point2 a, Point2 b) const
{
    if (!Within(bounds_, a) || !Within(bounds_, b))
        return false;
    for (std::size_t k = 0; k + 1 < regions_.size(); ++k)
        if (Meets(regions_[k].box, a, b))
            return false;
    return true;
}

void ZoneCutter::Emit(const Vertex &v, Light light, std::vector<Vertex> &into) const
{
    Vertex out = v;
    out.p.x = std::clamp(v.p.x, bounds_.left, bounds_.right);
    out.p.y = std::clamp(v.p.y, bounds_.bottom, bounds_.top);
    if (light.blank) {
        out.point.status |= ilda::kBlankingBit;
        out.point.color = 0;
    } else if (light.level < 1) {
        out.point.color = Dimmed(out.point.color, light.level);
    }
    into.push_back(out);
}

// The line into `to` is drawn in to's colour; each piece of it takes the
// light of the zones it runs through.
void ZoneCutter::CutLine(const Vertex &from, const Vertex &to, std::vector<Vertex> &into) const
{
    const Point2 a = from.p, b = to.p;
    auto at = [&](double t) { return Point2{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; };
    thread_local std::vector<double> crossings;
    Crossings(a, b, crossings);
    if (crossings.empty()) {
        Emit(to, LightAt(b), into);
        return;
    }
    double start = 0;
    Light before;
    bool first = true;
    for (const double t : crossings) {
        if (t - start < 1e-12)
            continue;
        const Light light = LightAt(at((start + t) / 2));
        if (!first && !(light == before)) {
            Vertex edge = to;
            edge.p = at(start);
            edge.point.status &= static_cast<std::uint8_t>(~ilda::kLastPointBit);
            Emit(edge, before, into);
        }
        before = light;
        first = false;
        start = t;
    }
    const Light last = LightAt(at((start + 1) / 2));
    if (!first && !(last == before)) {
        Vertex edge = to;
        edge.p = at(start);
        edge.point.status &= static_cast<std::uint8_t>(~ilda::kLastPointBit);
        Emit(edge, before, into);
    }
    Emit(to, last, into);
}

void ZoneCutter::Cut(std::vector<Vertex> &from) const
{
    thread_local std::vector<Vertex> into;
    Cut(from, into);
    from.swap(into);
}

void ZoneCutter::Cut(std::span<const Vertex> from, std::vector<Vertex> &into) const
{
    into.clear();
    into.reserve(from.size() + from.size() / 8);
    for (std::size_t k = 0; k < from.size(); ++k) {
        const Vertex &v = from[k];
        if (!scan::IsLit(v.point))
            Emit(v, {}, into);
        else if (k > 0 && Clear(from[k - 1].p, v.p))
            into.push_back(v);
        else if (k == 0 || from[k - 1].p == v.p)
            Emit(v, LightAt(v.p), into);
        else
            CutLine(from[k - 1], v, into);
    }
}

} // namespace projector
