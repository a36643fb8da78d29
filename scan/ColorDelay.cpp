#include "scan/ColorDelay.h"

#include "scan/Mirror.h"

#include <algorithm>
#include <array>

namespace scan {

namespace {

// Index k + shift into a looping frame of n points.
std::size_t Ahead(std::size_t k, long shift, std::size_t n)
{
    const long m = static_cast<long>(n);
    return static_cast<std::size_t>((static_cast<long>(k) + shift % m + m) % m);
}

// Point k of the compensated frame: where frame[k] is, lit as the points
// each delay reaches ahead to.
ilda::Point Early(std::span<const ilda::Point> frame, std::size_t k, const std::array<long, 3> &delay)
{
    ilda::Point point = frame[k];
    point.color = 0;
    bool indexed = false;
    for (std::size_t c = 0; c < delay.size(); ++c) {
        const ilda::Point &source = frame[Ahead(k, delay[c], frame.size())];
        const ilda::Color channel = IsLit(source) ? source.color & (ilda::Color{0xFF} << (8 * c)) : 0;
        if (channel == 0)
            continue;
        point.color |= channel;
        if (!indexed)
            point.colorIndex = source.colorIndex;
        indexed = true;
    }
    point.status = static_cast<std::uint8_t>(point.status & ~ilda::kBlankingBit);
    if (point.color == 0)
        point.status |= ilda::kBlankingBit;
    return point;
}

} // namespace

std::vector<ilda::Point> CompensateColorDelay(std::span<const ilda::Point> frame, const Profile &profile)
{
    const std::array<long, 3> delay = profile.ColorDelayPoints();
    if (std::all_of(delay.begin(), delay.end(), [](long s) { return s == 0; }))
        return {frame.begin(), frame.end()};
    std::vector<ilda::Point> out;
    out.reserve(frame.size());
    for (std::size_t k = 0; k < frame.size(); ++k)
        out.push_back(Early(frame, k, delay));
    return out;
}

} // namespace scan
