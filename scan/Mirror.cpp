#include "scan/Mirror.h"

namespace scan {

std::vector<BeamStep> TraceBeam(std::span<const ilda::Point> frame, const Profile &profile)
{
    std::vector<BeamStep> steps;
    TraceBeam(frame, profile, steps);
    return steps;
}

void TraceBeam(std::span<const ilda::Point> frame, const Profile &profile, std::vector<BeamStep> &steps)
{
    steps.clear();
    if (frame.empty())
        return;
    const double share = profile.MirrorShare();
    Vec2 mirror{double(frame[0].x), double(frame[0].y)};
    auto follow = [&](const ilda::Point &point) {
        mirror.x += share * (point.x - mirror.x);
        mirror.y += share * (point.y - mirror.y);
    };
    for (const ilda::Point &point : frame)
        follow(point);
    steps.reserve(frame.size());
    for (const ilda::Point &point : frame) {
        const Vec2 from = mirror;
        follow(point);
        steps.push_back({from, mirror, IsLit(point), point.color});
    }
}

} // namespace scan
