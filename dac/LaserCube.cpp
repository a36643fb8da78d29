#include "dac/LaserCube.h"

#include <algorithm>

namespace dac::lasercube {

namespace {

void Put16(std::vector<std::uint8_t> &out, std::size_t at, std::uint16_t value)
{
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t> &out, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint16_t Get16(std::span<const std::uint8_t> in, std::size_t at)
{
    return static_cast<std::uint16_t>(in[at] | in[at + 1] << 8);
}

std::uint32_t Get32(std::span<const std::uint8_t> in, std::size_t at)
{
    return static_cast<std::uint32_t>(in[at]) | static_cast<std::uint32_t>(in[at + 1]) << 8 |
           static_cast<std::uint32_t>(in[at + 2]) << 16 | static_cast<std::uint32_t>(in[at + 3]) << 24;
}

// 8-bit colour to 12 bits and back: 0 and 255 stay the ends of the range.
std::uint16_t Widen(std::uint8_t c)
{
    return static_cast<std::uint16_t>(c << 4 | c >> 4);
}

std::uint8_t Narrow(std::uint16_t c)
{
    return static_cast<std::uint8_t>(std::min<std::uint16_t>(c, 0xfff) >> 4);
}

} // namespace

std::vector<std::uint8_t> EncodeInfo(const Info &info)
{
    std::vector<std::uint8_t> out(kInfoSize, 0);
    out[0] = kGetFullInfo;
    out[3] = info.firmwareMajor;
    out[4] = info.firmwareMinor;
    out[5] = info.outputEnabled ? 1 : 0;
    Put32(out, 10, info.rate);
    Put32(out, 14, info.maxRate);
    Put16(out, 19, info.bufferFree);
    Put16(out, 21, info.bufferSize);
    out[23] = info.battery;
    out[24] = info.temperature;
    out[25] = static_cast<std::uint8_t>(info.connection);
    std::copy(info.serial.begin(), info.serial.end(), out.begin() + 26);
    std::copy(info.ip.begin(), info.ip.end(), out.begin() + 32);
    out[37] = info.modelNumber;
    const std::size_t name = std::min(info.modelName.size(), kModelNameSize - 1);
    std::copy_n(info.modelName.begin(), name, out.begin() + 38);
    return out;
}

std::optional<Info> DecodeInfo(std::span<const std::uint8_t> in)
{
    if (in.size() < kInfoSize || in[0] != kGetFullInfo)
        return std::nullopt;
    Info info;
    info.firmwareMajor = in[3];
    info.firmwareMinor = in[4];
    info.outputEnabled = in[5] != 0;
    info.rate = Get32(in, 10);
    info.maxRate = Get32(in, 14);
    info.bufferFree = Get16(in, 19);
    info.bufferSize = Get16(in, 21);
    info.battery = in[23];
    info.temperature = in[24];
    info.connection = in[25] <= 3 ? static_cast<Connection>(in[25]) : Connection::Unknown;
    std::copy_n(in.begin() + 26, 6, info.serial.begin());
    std::copy_n(in.begin() + 32, 4, info.ip.begin());
    info.modelNumber = in[37];
    // The name ends at its first zero or at the end of the reply, and only
    // printable bytes are kept: it is shown to the user.
    for (std::size_t at = 38; at < kInfoSize && in[at] != 0; ++at)
        info.modelName.push_back(in[at] >= 0x20 && in[at] < 0x7f ? static_cast<char>(in[at]) : '?');
    return info;
}

std::vector<std::uint8_t> EncodeCommand(std::uint8_t command)
{
    return {command};
}

std::vector<std::uint8_t> EncodeSwitch(std::uint8_t command, bool on)
{
    return {command, static_cast<std::uint8_t>(on ? 1 : 0)};
}

std::vector<std::uint8_t> EncodeSetRate(std::uint32_t rate)
{
    std::vector<std::uint8_t> out(5, 0);
    out[0] = kSetRate;
    Put32(out, 1, rate);
    return out;
}

Sample FromIlda(const ilda::Point &point)
{
    Sample s;
    s.x = static_cast<std::uint16_t>((point.x + 32768) >> 4);
    s.y = static_cast<std::uint16_t>((point.y + 32768) >> 4);
    if (!point.Blanked()) {
        s.r = Widen(static_cast<std::uint8_t>(point.color));
        s.g = Widen(static_cast<std::uint8_t>(point.color >> 8));
        s.b = Widen(static_cast<std::uint8_t>(point.color >> 16));
    }
    return s;
}

ilda::Point ToIlda(const Sample &s)
{
    ilda::Point point;
    point.x = static_cast<std::int16_t>((std::min<std::uint16_t>(s.x, 0xfff) << 4) - 32768);
    point.y = static_cast<std::int16_t>((std::min<std::uint16_t>(s.y, 0xfff) << 4) - 32768);
    point.color = ilda::Rgb(Narrow(s.r), Narrow(s.g), Narrow(s.b));
    if (point.color == 0)
        point.status = ilda::kBlankingBit;
    return point;
}

std::vector<std::uint8_t> EncodeData(const DataHeader &header, std::span<const Sample> samples)
{
    const std::size_t count = std::min(samples.size(), kMostSamplesPerPacket);
    std::vector<std::uint8_t> out(kDataHeaderSize + count * kSampleSize, 0);
    out[0] = kSampleData;
    out[2] = header.message;
    out[3] = header.frame;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kDataHeaderSize + i * kSampleSize;
        Put16(out, at, samples[i].x);
        Put16(out, at + 2, samples[i].y);
        Put16(out, at + 4, samples[i].r);
        Put16(out, at + 6, samples[i].g);
        Put16(out, at + 8, samples[i].b);
    }
    return out;
}

std::optional<DataHeader> DecodeDataHeader(std::span<const std::uint8_t> in)
{
    if (in.size() < kDataHeaderSize || in[0] != kSampleData || (in.size() - kDataHeaderSize) % kSampleSize != 0 ||
        (in.size() - kDataHeaderSize) / kSampleSize > kMostSamplesPerPacket)
        return std::nullopt;
    return DataHeader{in[2], in[3]};
}

std::vector<Sample> DecodeSamples(std::span<const std::uint8_t> in)
{
    std::vector<Sample> samples;
    if (!DecodeDataHeader(in))
        return samples;
    for (std::size_t at = kDataHeaderSize; at + kSampleSize <= in.size(); at += kSampleSize)
        samples.push_back({Get16(in, at), Get16(in, at + 2), Get16(in, at + 4), Get16(in, at + 6), Get16(in, at + 8)});
    return samples;
}

std::vector<std::uint8_t> EncodeBufferFree(std::uint16_t free)
{
    return {kSampleData, static_cast<std::uint8_t>(free), static_cast<std::uint8_t>(free >> 8)};
}

std::vector<std::uint8_t> EncodeBufferFreeAnswer(std::uint16_t free)
{
    return {kGetBufferFree, 0, static_cast<std::uint8_t>(free), static_cast<std::uint8_t>(free >> 8)};
}

std::optional<std::uint16_t> DecodeBufferFree(std::span<const std::uint8_t> in)
{
    if (in.size() == 3 && in[0] == kSampleData)
        return Get16(in, 1);
    if (in.size() == 4 && in[0] == kGetBufferFree)
        return Get16(in, 2);
    return std::nullopt;
}

} // namespace dac::lasercube
