// The scanner model's mirror: a first-order lag that moves a fixed share
// of the way to each point it is sent. The frame loops; the beam's path is
// taken on the second pass, when the mirror has settled into the loop.
#pragma once

#include "ilda/Codec.h"
#include "scan/Profile.h"

#include <span>
#include <vector>

namespace scan {

struct Vec2 {
    double x = 0;
    double y = 0;
};

// Lit: the blanking bit clear and a colour that is not black.
inline bool IsLit(const ilda::Point &point)
{
    return !point.Blanked() && point.color != 0;
}

// One sample of the second pass: the mirror moved from `from` to `to`
// while point k was sent; the beam drew that move when the point is lit.
struct BeamStep {
    Vec2 from;
    Vec2 to;
    bool lit = false;
    ilda::Color color = 0;
};

// The second pass, a step per point (empty for an empty frame).
std::vector<BeamStep> TraceBeam(std::span<const ilda::Point> frame, const Profile &profile);
// The same into steps, whose memory is used again.
void TraceBeam(std::span<const ilda::Point> frame, const Profile &profile, std::vector<BeamStep> &steps);

} // namespace scan
