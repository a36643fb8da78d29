#include "scan/Mirror.h"

namespace scan {

namespace {

// Index k - shift into a looping frame of n points.
std::size_t Back(std::size_t k, long shift, std::size_t n)
{
    const long m = static_cast<long>(n);
    const long i = (static_cast<long>(k) - shift % m + m) % m;
    return static_cast<std::size_t>(i);
}

} // namespace

ilda::Color DelayedColor(std::span<const ilda::Point> frame, std::size_t k, const std::array<long, 3> &delay)
{
    ilda::Color color = 0;
    for (std::size_t c = 0; c < delay.size(); ++c) {
        const ilda::Point &source = frame[Back(k, delay[c], frame.size())];
        if (IsLit(source))
            color |= source.color & (ilda::Color{0xFF} << (8 * c));
    }
    return color;
}

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
    const std::array<long, 3> delay = profile.ColorDelayPoints();
    steps.reserve(frame.size());
    for (std::size_t k = 0; k < frame.size(); ++k) {
        const Vec2 from = mirror;
        follow(frame[k]);
        const ilda::Color color = DelayedColor(frame, k, delay);
        steps.push_back({from, mirror, color != 0, color});
    }
}

} // namespace scan
