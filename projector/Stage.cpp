#include "projector/Stage.h"

#include "scan/Prepare.h"

#include <algorithm>
#include <cmath>

namespace projector {

OutputStage::OutputStage(const Setup &setup)
    : setup_(setup), geometry_(setup.geometry), square_({}, Limits{}), zones_(setup.zones, setup.limits),
      calibration_(setup.color)
{
}

std::vector<ilda::Point> OutputStage::Place(std::span<const ilda::Point> frame) const
{
    a_.resize(frame.size());
    for (std::size_t k = 0; k < frame.size(); ++k)
        a_[k] = {geometry_.Place({double(frame[k].x), double(frame[k].y)}), frame[k]};
    square_.Cut(a_, b_);
    for (Vertex &v : b_)
        v.p = geometry_.Keystone(v.p);
    zones_.Cut(b_, a_);
    std::vector<ilda::Point> placed(a_.size());
    for (std::size_t k = 0; k < a_.size(); ++k) {
        placed[k] = a_[k].point;
        placed[k].x = static_cast<std::int16_t>(std::lround(std::clamp(a_[k].p.x, -kEdge, kEdge)));
        placed[k].y = static_cast<std::int16_t>(std::lround(std::clamp(a_[k].p.y, -kEdge, kEdge)));
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
