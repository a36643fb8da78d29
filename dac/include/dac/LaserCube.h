// The LaserCube's messages on UDP, little-endian: commands on one port,
// point data on the next, replies to both from the unit. Encoded and
// decoded here and nowhere else.
#pragma once

#include "ilda/Codec.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dac::lasercube {

constexpr std::uint16_t kAlivePort = 45456;
constexpr std::uint16_t kCommandPort = 45457;
// Data always goes to the port after the command port.
constexpr std::uint16_t kDataPortOffset = 1;

constexpr std::uint8_t kGetFullInfo = 0x77;
constexpr std::uint8_t kEnableBufferSizeResponse = 0x78;
constexpr std::uint8_t kSetOutput = 0x80;
constexpr std::uint8_t kSetRate = 0x82;
constexpr std::uint8_t kGetBufferFree = 0x8a;
constexpr std::uint8_t kClearRingBuffer = 0x8d;
constexpr std::uint8_t kSampleData = 0xa9;

constexpr std::size_t kInfoSize = 64;
constexpr std::size_t kDataHeaderSize = 4;
constexpr std::size_t kSampleSize = 10;
// A data datagram stays under an Ethernet frame: 4 + 140 * 10 bytes.
constexpr std::size_t kMostSamplesPerPacket = 140;
constexpr std::size_t kModelNameSize = kInfoSize - 38;

enum class Connection : std::uint8_t { Unknown = 0, Usb = 1, Ethernet = 2, Wifi = 3 };

// What GET_FULL_INFO answers.
struct Info {
    std::uint8_t firmwareMajor = 0, firmwareMinor = 0;
    bool outputEnabled = false;
    std::uint32_t rate = 0, maxRate = 0;
    std::uint16_t bufferFree = 0, bufferSize = 0;
    std::uint8_t battery = 0, temperature = 0;
    Connection connection = Connection::Unknown;
    std::array<std::uint8_t, 6> serial{};
    std::array<std::uint8_t, 4> ip{};
    std::uint8_t modelNumber = 0;
    std::string modelName; // at most kModelNameSize - 1 bytes
    bool operator==(const Info &) const = default;
};
std::vector<std::uint8_t> EncodeInfo(const Info &info);
std::optional<Info> DecodeInfo(std::span<const std::uint8_t> datagram);

// Commands: a byte, a flag after it, or a rate.
std::vector<std::uint8_t> EncodeCommand(std::uint8_t command);
std::vector<std::uint8_t> EncodeSwitch(std::uint8_t command, bool on);
std::vector<std::uint8_t> EncodeSetRate(std::uint32_t rate);

// One point: X and Y 12 bits around 0x800, colours 12 bits.
struct Sample {
    std::uint16_t x = 0x800, y = 0x800;
    std::uint16_t r = 0, g = 0, b = 0;
    bool operator==(const Sample &) const = default;
};
Sample FromIlda(const ilda::Point &point);
ilda::Point ToIlda(const Sample &sample);

struct DataHeader {
    std::uint8_t message = 0; // counts every data datagram
    std::uint8_t frame = 0;   // counts frames
};
// At most kMostSamplesPerPacket samples.
std::vector<std::uint8_t> EncodeData(const DataHeader &header, std::span<const Sample> samples);
// The header and samples, or nothing for a datagram that is not whole
// samples after a data header.
std::optional<DataHeader> DecodeDataHeader(std::span<const std::uint8_t> datagram);
std::vector<Sample> DecodeSamples(std::span<const std::uint8_t> datagram);

// The free room a unit reports after data ([0xa9, free]) or when asked
// ([0x8a, 0, free]); nothing for any other datagram.
std::vector<std::uint8_t> EncodeBufferFree(std::uint16_t free);
std::vector<std::uint8_t> EncodeBufferFreeAnswer(std::uint16_t free);
std::optional<std::uint16_t> DecodeBufferFree(std::span<const std::uint8_t> datagram);

} // namespace dac::lasercube
