// The ILDA Digital Network's messages on UDP port 7255, big-endian: the
// IDN-Hello packet header, the scan and ping, and IDN-Stream channel
// messages in frame mode. Encoded and decoded here and nowhere else.
#pragma once

#include "ilda/Codec.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dac::idn {

constexpr std::uint16_t kPort = 7255;
// The largest datagram payload we send: no IP fragmentation on Ethernet.
constexpr std::size_t kMaxDatagram = 1454;

constexpr std::uint8_t kPingRequest = 0x08;
constexpr std::uint8_t kPingResponse = 0x09;
constexpr std::uint8_t kScanRequest = 0x10;
constexpr std::uint8_t kScanResponse = 0x11;
constexpr std::uint8_t kChannelMessage = 0x40;
constexpr std::uint8_t kChannelClose = 0x44;

constexpr std::uint16_t kContentChannelMessage = 0x8000;
constexpr std::uint16_t kContentConfigOrLast = 0x4000;
constexpr std::uint8_t kChunkVoid = 0x00;
constexpr std::uint8_t kChunkFrame = 0x02;
constexpr std::uint8_t kChunkFrameFirst = 0x03;
constexpr std::uint8_t kChunkFrameSequel = 0xC0;
constexpr std::uint8_t kConfigRouting = 0x01;
constexpr std::uint8_t kConfigClose = 0x02;
constexpr std::uint8_t kModeDiscrete = 0x02; // laser graphics, one frame at a time

// X and Y at 16 bits, then red, green and blue at 8 bits: 7 bytes a sample.
constexpr std::size_t kSampleSize = 7;
constexpr std::size_t kScanResponseSize = 40;

struct PacketHeader {
    std::uint8_t command = 0;
    std::uint8_t flags = 0;
    std::uint16_t sequence = 0;
};
std::array<std::uint8_t, 4> EncodePacketHeader(const PacketHeader &header);
std::optional<PacketHeader> DecodePacketHeader(std::span<const std::uint8_t> bytes);

struct ScanResponse {
    std::uint8_t protocolVersion = 0x10; // 1.0
    std::uint8_t status = 0x01;          // offers real-time streaming
    std::array<std::uint8_t, 16> unitId{};
    std::string hostName; // at most 20 bytes
};
std::vector<std::uint8_t> EncodeScanResponse(std::uint16_t sequence, const ScanResponse &response);
std::optional<ScanResponse> DecodeScanResponse(std::span<const std::uint8_t> datagram);

// One sample as the channel configuration carries it.
struct Sample {
    std::int16_t x = 0, y = 0;
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Sample &) const = default;
};
Sample FromIlda(const ilda::Point &point);
ilda::Point ToIlda(const Sample &sample);

struct FrameMessage {
    std::uint8_t channel = 0;    // 0 to 63
    bool config = false;         // carries the channel configuration
    bool close = false;          // the configuration closes the channel
    std::uint32_t timestamp = 0; // microseconds
    std::uint32_t duration = 0;  // microseconds, 24 bits
    std::uint16_t sequence = 0;  // of the first datagram
};
// The datagrams of one frame: one, or a first fragment and sequels when the
// frame does not fit kMaxDatagram. Sequels take the next sequence numbers
// and timestamps.
std::vector<std::vector<std::uint8_t>> EncodeFrame(const FrameMessage &message, std::span<const Sample> samples);
// A channel message without samples (keepalive), or closing the channel.
std::vector<std::uint8_t> EncodeVoid(const FrameMessage &message, std::uint8_t command = kChannelMessage);

// A received datagram of a channel, as far as a receiver needs it.
struct Received {
    std::uint8_t command = 0;
    std::uint16_t sequence = 0;
    std::uint8_t channel = 0;
    std::uint8_t chunk = 0;
    bool configOrLast = false;
    bool close = false;
    bool configValid = true; // a configuration we can read (X, Y 16 bits; R, G, B)
    std::uint32_t timestamp = 0;
    std::uint32_t duration = 0;                // whole frames and first fragments
    std::span<const std::uint8_t> sampleBytes; // the samples' bytes here
};
std::optional<Received> DecodeChannelMessage(std::span<const std::uint8_t> datagram);
std::vector<Sample> DecodeSamples(std::span<const std::uint8_t> bytes);

} // namespace dac::idn
