#include "dac/Helios.h"

#include <cmath>
#include <string>

namespace dac::helios {

namespace {

std::uint16_t To12Bits(std::int16_t value)
{
    return static_cast<std::uint16_t>((static_cast<int>(value) + 32768) >> 4);
}

} // namespace

Point FromIlda(const ilda::Point &point)
{
    Point p{To12Bits(point.x), To12Bits(point.y)};
    if (!point.Blanked()) {
        p.r = static_cast<std::uint8_t>(point.color);
        p.g = static_cast<std::uint8_t>(point.color >> 8);
        p.b = static_cast<std::uint8_t>(point.color >> 16);
        p.i = 255;
    }
    return p;
}

bool CountAllowed(std::size_t count)
{
    return count >= 1 && count <= kMaxPoints && (count * kPointBytes + kTrailerBytes) % 64 != 0;
}

std::size_t AllowedCount(std::size_t wanted)
{
    std::size_t count = wanted < 1 ? 1 : wanted > kMaxPoints ? kMaxPoints : wanted;
    return CountAllowed(count) ? count : count - 1;
}

rtl::Result<void> CheckRate(double rate)
{
    if (rate >= kMinRate && rate <= kMaxRate)
        return {};
    return rtl::Fail("the Helios plays " + std::to_string(kMinRate) + " to " + std::to_string(kMaxRate) +
                     " points a second, not " + std::to_string(static_cast<long long>(std::llround(rate))));
}

rtl::Result<std::vector<std::uint8_t>> EncodeFrame(std::span<const Point> points, unsigned rate, std::uint8_t flags)
{
    if (!CountAllowed(points.size()))
        return rtl::Fail("a Helios frame cannot carry " + std::to_string(points.size()) + " points");
    if (auto checked = CheckRate(rate); !checked)
        return checked.failure();
    std::vector<std::uint8_t> bytes;
    bytes.reserve(points.size() * kPointBytes + kTrailerBytes);
    for (const Point &p : points) {
        bytes.push_back(static_cast<std::uint8_t>(p.x >> 4));
        bytes.push_back(static_cast<std::uint8_t>(((p.x & 0x0F) << 4) | ((p.y >> 8) & 0x0F)));
        bytes.push_back(static_cast<std::uint8_t>(p.y));
        bytes.insert(bytes.end(), {p.r, p.g, p.b, p.i});
    }
    const auto count = static_cast<unsigned>(points.size());
    bytes.insert(bytes.end(), {static_cast<std::uint8_t>(rate), static_cast<std::uint8_t>(rate >> 8),
                               static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8), flags});
    return bytes;
}

std::array<std::uint8_t, 2> StatusRequest()
{
    return {kStatusCommand, 0};
}

std::array<std::uint8_t, 2> StopRequest()
{
    return {kStopCommand, 0};
}

std::array<std::uint8_t, 2> ShutterRequest(bool open)
{
    return {kShutterCommand, static_cast<std::uint8_t>(open ? 1 : 0)};
}

std::optional<bool> ParseStatus(std::span<const std::uint8_t> answer)
{
    if (answer.size() < 2 || answer[0] != kStatusAnswer)
        return std::nullopt;
    return answer[1] != 0;
}

} // namespace dac::helios
