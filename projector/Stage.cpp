#include "projector/Stage.h"

#include "scan/Prepare.h"

#include <algorithm>
#include <cmath>

namespace projector {

namespace {

std::int16_t Round(double v)
{
    return static_cast<std::int16_t>(std::floor(std::clamp(v, -kEdge, kEdge) + 0.5));
}

} // namespace

OutputStage::OutputStage(const Setup &setup)
    : setup_(setup), geometry_(setup.geometry), square_({}, Limits{}), zones_(setup.zones, setup.limits),
      calibration_(setup.color)
{
}

std::vector<ilda::Point> OutputStage::Place(std::span<const ilda::Point> frame) const
{
    // Memory kept from frame to frame, a set per thread.
    thread_local std::vector<Vertex> vertices;
    vertices.resize(frame.size());
    bool inside = true;
    for (std::size_t k = 0; k < frame.size(); ++k) {
        const Point2 p = geometry_.Place({double(frame[k].x), double(frame[k].y)});
        inside = inside && std::abs(p.x) <= kEdge && std::abs(p.y) <= kEdge;
        vertices[k] = {p, frame[k]};
    }
    if (!inside)
        square_.Cut(vertices);
    for (Vertex &v : vertices)
        v.p = geometry_.Keystone(v.p);
    zones_.Cut(vertices);
    std::vector<ilda::Point> placed(vertices.size());
    for (std::size_t k = 0; k < vertices.size(); ++k) {
        placed[k] = vertices[k].point;
        placed[k].x = Round(vertices[k].p.x);
        placed[k].y = Round(vertices[k].p.y);
    }
    return placed;
}

std::vector<ilda::Point> OutputStage::Prepare(std::span<const ilda::Point> placed) const
{
    return scan::PrepareFrame(placed, setup_.scanner);
}

void OutputStage::Finish(std::span<ilda::Point> prepared) const
{
    calibration_.Apply(prepared);
    const Limits &l = setup_.limits;
    // The optimiser may aim blanked travel past a stroke's start to land
    // the mirror on it; no point leaves the limits all the same.
    const auto low = [](double v) { return static_cast<std::int16_t>(std::ceil(v)); };
    const auto high = [](double v) { return static_cast<std::int16_t>(std::floor(v)); };
    for (ilda::Point &p : prepared) {
        p.x = std::clamp(p.x, low(l.left), high(l.right));
        p.y = std::clamp(p.y, low(l.bottom), high(l.top));
    }
}

std::vector<ilda::Point> OutputStage::Apply(std::span<const ilda::Point> frame) const
{
    std::vector<ilda::Point> prepared = Prepare(Place(frame));
    Finish(prepared);
    return prepared;
}

} // namespace projector
