#include "dac/Idn.h"

#include <algorithm>

namespace dac::idn {

namespace {

// The channel's configuration: X and Y with 16-bit precision, red 638 nm,
// green 532 nm, blue 460 nm, and a void tag to fill the last word.
constexpr std::array<std::uint16_t, 8> kTags = {0x4200, 0x4010, 0x4210, 0x4010, 0x527E, 0x5214, 0x51CC, 0x0000};
constexpr std::size_t kChannelHeaderSize = 8;
constexpr std::size_t kChunkHeaderSize = 4;

void Put16(std::uint8_t *at, std::uint16_t v)
{
    at[0] = static_cast<std::uint8_t>(v >> 8);
    at[1] = static_cast<std::uint8_t>(v);
}
void Put32(std::uint8_t *at, std::uint32_t v)
{
    Put16(at, static_cast<std::uint16_t>(v >> 16));
    Put16(at + 2, static_cast<std::uint16_t>(v));
}
std::uint16_t Get16(const std::uint8_t *at)
{
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}
std::uint32_t Get32(const std::uint8_t *at)
{
    return std::uint32_t{Get16(at)} << 16 | Get16(at + 2);
}

std::uint16_t ContentId(std::uint8_t channel, bool configOrLast, std::uint8_t chunk)
{
    return static_cast<std::uint16_t>(kContentChannelMessage | (configOrLast ? kContentConfigOrLast : 0) |
                                      (channel & 0x3F) << 8 | chunk);
}

// Packet header, channel message header and, when asked, the configuration.
std::vector<std::uint8_t> StartMessage(std::uint8_t command, std::uint16_t sequence, const FrameMessage &m,
                                       std::uint8_t chunk)
{
    std::vector<std::uint8_t> out(4 + kChannelHeaderSize);
    const auto header = EncodePacketHeader({command, 0, sequence});
    std::copy(header.begin(), header.end(), out.begin());
    Put16(&out[6], ContentId(m.channel, m.config, chunk));
    Put32(&out[8], m.timestamp);
    if (m.config) {
        out.push_back(static_cast<std::uint8_t>(kTags.size() / 2));
        out.push_back(static_cast<std::uint8_t>(kConfigRouting | (m.close ? kConfigClose : 0)));
        out.push_back(0); // the unit's default service
        out.push_back(kModeDiscrete);
        for (std::uint16_t tag : kTags) {
            out.push_back(static_cast<std::uint8_t>(tag >> 8));
            out.push_back(static_cast<std::uint8_t>(tag));
        }
    }
    return out;
}

void SetTotalSize(std::vector<std::uint8_t> &datagram)
{
    Put16(&datagram[4], static_cast<std::uint16_t>(datagram.size() - 4));
}

} // namespace

std::array<std::uint8_t, 4> EncodePacketHeader(const PacketHeader &header)
{
    std::array<std::uint8_t, 4> out{header.command, header.flags, 0, 0};
    Put16(&out[2], header.sequence);
    return out;
}

std::optional<PacketHeader> DecodePacketHeader(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 4)
        return std::nullopt;
    return PacketHeader{bytes[0], bytes[1], Get16(&bytes[2])};
}

std::vector<std::uint8_t> EncodeScanResponse(std::uint16_t sequence, const ScanResponse &r)
{
    std::vector<std::uint8_t> out(4 + kScanResponseSize, 0);
    const auto header = EncodePacketHeader({kScanResponse, 0, sequence});
    std::copy(header.begin(), header.end(), out.begin());
    out[4] = kScanResponseSize;
    out[5] = r.protocolVersion;
    out[6] = r.status;
    std::copy(r.unitId.begin(), r.unitId.end(), out.begin() + 8);
    std::copy_n(r.hostName.begin(), std::min<std::size_t>(r.hostName.size(), 20), out.begin() + 24);
    return out;
}

std::optional<ScanResponse> DecodeScanResponse(std::span<const std::uint8_t> d)
{
    if (d.size() < 4 + kScanResponseSize || d[0] != kScanResponse || d[4] < kScanResponseSize)
        return std::nullopt;
    ScanResponse r;
    r.protocolVersion = d[5];
    r.status = d[6];
    std::copy_n(d.begin() + 8, 16, r.unitId.begin());
    const auto name = d.subspan(24, 20);
    r.hostName.assign(name.begin(), std::find(name.begin(), name.end(), 0));
    return r;
}

Sample FromIlda(const ilda::Point &point)
{
    Sample s{point.x, point.y, 0, 0, 0};
    if (!point.Blanked()) {
        s.r = static_cast<std::uint8_t>(point.color);
        s.g = static_cast<std::uint8_t>(point.color >> 8);
        s.b = static_cast<std::uint8_t>(point.color >> 16);
    }
    return s;
}

ilda::Point ToIlda(const Sample &s)
{
    ilda::Point point;
    point.x = s.x;
    point.y = s.y;
    point.color = ilda::Rgb(s.r, s.g, s.b);
    if (point.color == 0)
        point.status = ilda::kBlankingBit;
    return point;
}

std::vector<std::vector<std::uint8_t>> EncodeFrame(const FrameMessage &m, std::span<const Sample> samples)
{
    // The whole message first, then cut into datagrams.
    std::vector<std::uint8_t> whole = StartMessage(kChannelMessage, m.sequence, m, kChunkFrame);
    std::uint8_t chunkHeader[kChunkHeaderSize];
    Put32(chunkHeader, m.duration & 0xFFFFFF); // flags 0: no 'once'
    whole.insert(whole.end(), chunkHeader, chunkHeader + kChunkHeaderSize);
    for (const Sample &s : samples) {
        std::uint8_t bytes[kSampleSize];
        Put16(bytes, static_cast<std::uint16_t>(s.x));
        Put16(bytes + 2, static_cast<std::uint16_t>(s.y));
        bytes[4] = s.r;
        bytes[5] = s.g;
        bytes[6] = s.b;
        whole.insert(whole.end(), bytes, bytes + kSampleSize);
    }
    std::vector<std::vector<std::uint8_t>> out;
    if (whole.size() <= kMaxDatagram) {
        SetTotalSize(whole);
        out.push_back(std::move(whole));
        return out;
    }
    // First fragment: headers as they are, chunk type "first".
    out.emplace_back(whole.begin(), whole.begin() + kMaxDatagram);
    Put16(&out.back()[6], ContentId(m.channel, m.config, kChunkFrameFirst));
    SetTotalSize(out.back());
    // Sequels: a channel message header each; the timestamp counts the
    // fragments on, the last one is flagged.
    const std::size_t room = kMaxDatagram - 4 - kChannelHeaderSize;
    std::uint16_t sequence = m.sequence;
    std::uint32_t timestamp = m.timestamp;
    for (std::size_t at = kMaxDatagram; at < whole.size(); at += room) {
        const std::size_t end = std::min(whole.size(), at + room);
        FrameMessage sequel = m;
        sequel.config = false;
        sequel.timestamp = ++timestamp;
        std::vector<std::uint8_t> datagram = StartMessage(kChannelMessage, ++sequence, sequel, kChunkFrameSequel);
        Put16(&datagram[6], ContentId(m.channel, end == whole.size(), kChunkFrameSequel));
        datagram.insert(datagram.end(), whole.begin() + static_cast<std::ptrdiff_t>(at),
                        whole.begin() + static_cast<std::ptrdiff_t>(end));
        SetTotalSize(datagram);
        out.push_back(std::move(datagram));
    }
    return out;
}

std::vector<std::uint8_t> EncodeVoid(const FrameMessage &m, std::uint8_t command)
{
    std::vector<std::uint8_t> out = StartMessage(command, m.sequence, m, kChunkVoid);
    SetTotalSize(out);
    return out;
}

std::optional<Received> DecodeChannelMessage(std::span<const std::uint8_t> d)
{
    const auto header = DecodePacketHeader(d);
    if (!header || (header->command != kChannelMessage && header->command != kChannelClose))
        return std::nullopt;
    Received r;
    r.command = header->command;
    r.sequence = header->sequence;
    if (d.size() == 4)
        return r; // a close without a message
    if (d.size() < 4 + kChannelHeaderSize)
        return std::nullopt;
    const std::size_t total = Get16(&d[4]);
    if (total < kChannelHeaderSize || total > d.size() - 4)
        return std::nullopt;
    const std::uint16_t content = Get16(&d[6]);
    if (!(content & kContentChannelMessage))
        return std::nullopt;
    r.channel = static_cast<std::uint8_t>(content >> 8 & 0x3F);
    r.chunk = static_cast<std::uint8_t>(content);
    r.configOrLast = content & kContentConfigOrLast;
    r.timestamp = Get32(&d[8]);
    std::size_t at = 4 + kChannelHeaderSize;
    const std::size_t end = 4 + total;
    if (r.configOrLast && r.chunk != kChunkFrameSequel) {
        if (end - at < 4)
            return std::nullopt;
        const std::size_t words = d[at];
        r.close = d[at + 1] & kConfigClose;
        const std::size_t size = 4 + words * 4;
        if (end - at < size)
            return std::nullopt;
        r.configValid = words == kTags.size() / 2 && d[at + 3] == kModeDiscrete;
        for (std::size_t t = 0; r.configValid && t < kTags.size(); ++t)
            r.configValid = Get16(&d[at + 4 + t * 2]) == kTags[t];
        at += size;
    }
    if (r.chunk == kChunkFrame || r.chunk == kChunkFrameFirst) {
        if (end - at < kChunkHeaderSize)
            return std::nullopt;
        r.duration = Get32(&d[at]) & 0xFFFFFF;
        at += kChunkHeaderSize;
    }
    r.sampleBytes = d.subspan(at, end - at);
    return r;
}

std::vector<Sample> DecodeSamples(std::span<const std::uint8_t> bytes)
{
    std::vector<Sample> out;
    out.reserve(bytes.size() / kSampleSize);
    for (std::size_t at = 0; at + kSampleSize <= bytes.size(); at += kSampleSize)
        out.push_back(Sample{static_cast<std::int16_t>(Get16(&bytes[at])),
                             static_cast<std::int16_t>(Get16(&bytes[at + 2])), bytes[at + 4], bytes[at + 5],
                             bytes[at + 6]});
    return out;
}

} // namespace dac::idn
