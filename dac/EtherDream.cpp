#include "dac/EtherDream.h"

#include <algorithm>

namespace dac::etherdream {

namespace {

void Put16(std::vector<std::uint8_t> &out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t> &out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}
std::uint16_t Get16(const std::uint8_t *at)
{
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
std::uint32_t Get32(const std::uint8_t *at)
{
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

void PutStatus(std::vector<std::uint8_t> &out, const Status &s)
{
    out.push_back(s.protocol);
    out.push_back(static_cast<std::uint8_t>(s.lightEngine));
    out.push_back(static_cast<std::uint8_t>(s.playback));
    out.push_back(s.source);
    Put16(out, s.lightEngineFlags);
    Put16(out, s.playbackFlags);
    Put16(out, s.sourceFlags);
    Put16(out, s.bufferFullness);
    Put32(out, s.pointRate);
    Put32(out, s.pointCount);
}
Status GetStatus(const std::uint8_t *at)
{
    Status s;
    s.protocol = at[0];
    s.lightEngine = static_cast<LightEngine>(at[1]);
    s.playback = static_cast<Playback>(at[2]);
    s.source = at[3];
    s.lightEngineFlags = Get16(at + 4);
    s.playbackFlags = Get16(at + 6);
    s.sourceFlags = Get16(at + 8);
    s.bufferFullness = Get16(at + 10);
    s.pointRate = Get32(at + 12);
    s.pointCount = Get32(at + 16);
    return s;
}

} // namespace

std::vector<std::uint8_t> EncodeResponse(const Response &response)
{
    std::vector<std::uint8_t> out{response.response, response.command};
    PutStatus(out, response.status);
    return out;
}

std::optional<Response> DecodeResponse(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kResponseSize)
        return std::nullopt;
    return Response{bytes[0], bytes[1], GetStatus(bytes.data() + 2)};
}

std::vector<std::uint8_t> EncodeBroadcast(const Broadcast &b)
{
    std::vector<std::uint8_t> out(b.mac.begin(), b.mac.end());
    Put16(out, b.hardwareRevision);
    Put16(out, b.softwareRevision);
    Put16(out, b.bufferCapacity);
    Put32(out, b.maxPointRate);
    PutStatus(out, b.status);
    return out;
}

std::optional<Broadcast> DecodeBroadcast(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kBroadcastSize)
        return std::nullopt;
    Broadcast b;
    std::copy_n(bytes.begin(), 6, b.mac.begin());
    b.hardwareRevision = Get16(&bytes[6]);
    b.softwareRevision = Get16(&bytes[8]);
    b.bufferCapacity = Get16(&bytes[10]);
    b.maxPointRate = Get32(&bytes[12]);
    b.status = GetStatus(&bytes[16]);
    return b;
}

std::vector<std::uint8_t> BeginCommand(std::uint16_t lowWaterMark, std::uint32_t rate)
{
    std::vector<std::uint8_t> out{kBegin};
    Put16(out, lowWaterMark);
    Put32(out, rate);
    return out;
}

std::vector<std::uint8_t> QueueRateCommand(std::uint32_t rate)
{
    std::vector<std::uint8_t> out{kQueueRate};
    Put32(out, rate);
    return out;
}

std::vector<std::uint8_t> DataCommand(std::span<const Point> points)
{
    std::vector<std::uint8_t> out{kData};
    out.reserve(3 + points.size() * kPointSize);
    Put16(out, static_cast<std::uint16_t>(points.size()));
    for (const Point &p : points) {
        Put16(out, p.control);
        Put16(out, static_cast<std::uint16_t>(p.x));
        Put16(out, static_cast<std::uint16_t>(p.y));
        for (std::uint16_t v : {p.r, p.g, p.b, p.i, p.u1, p.u2})
            Put16(out, v);
    }
    return out;
}

std::uint16_t DataCount(const std::uint8_t *header)
{
    return Get16(header + 1);
}

Point DecodePoint(const std::uint8_t *at)
{
    Point p;
    p.control = Get16(at);
    p.x = static_cast<std::int16_t>(Get16(at + 2));
    p.y = static_cast<std::int16_t>(Get16(at + 4));
    p.r = Get16(at + 6);
    p.g = Get16(at + 8);
    p.b = Get16(at + 10);
    p.i = Get16(at + 12);
    p.u1 = Get16(at + 14);
    p.u2 = Get16(at + 16);
    return p;
}

std::size_t CommandSize(std::uint8_t first)
{
    switch (first) {
    case kPrepare:
    case kStop:
    case kEmergencyStop:
    case kEmergencyStopAlt:
    case kClearEmergencyStop:
    case kPing: return 1;
    case kBegin: return 7;
    case kQueueRate: return 5;
    case kData: return 3;
    default: return 0;
    }
}

Point FromIlda(const ilda::Point &point)
{
    Point p;
    p.x = point.x;
    p.y = point.y;
    if (!point.Blanked()) {
        const auto r = static_cast<std::uint8_t>(point.color);
        const auto g = static_cast<std::uint8_t>(point.color >> 8);
        const auto b = static_cast<std::uint8_t>(point.color >> 16);
        p.r = static_cast<std::uint16_t>(r * 257);
        p.g = static_cast<std::uint16_t>(g * 257);
        p.b = static_cast<std::uint16_t>(b * 257);
        p.i = std::max({p.r, p.g, p.b});
    }
    return p;
}

ilda::Point ToIlda(const Point &p)
{
    ilda::Point point;
    point.x = p.x;
    point.y = p.y;
    point.color = ilda::Rgb(static_cast<std::uint8_t>(p.r >> 8), static_cast<std::uint8_t>(p.g >> 8),
                            static_cast<std::uint8_t>(p.b >> 8));
    if (point.color == 0)
        point.status = ilda::kBlankingBit;
    return point;
}

} // namespace dac::etherdream
