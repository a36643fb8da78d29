// The Ether Dream's messages: packed little-endian structs over TCP port
// 7765 (commands) and UDP port 7654 (the broadcast each second). Encoded
// and decoded here and nowhere else.
#pragma once

#include "ilda/Codec.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace dac::etherdream {

constexpr std::uint16_t kCommandPort = 7765;
constexpr std::uint16_t kBroadcastPort = 7654;

constexpr std::size_t kStatusSize = 20;
constexpr std::size_t kResponseSize = 22;
constexpr std::size_t kBroadcastSize = 36;
constexpr std::size_t kPointSize = 18;

// Commands (their first byte).
constexpr std::uint8_t kPrepare = 'p';
constexpr std::uint8_t kBegin = 'b';
constexpr std::uint8_t kQueueRate = 'q';
constexpr std::uint8_t kData = 'd';
constexpr std::uint8_t kStop = 's';
constexpr std::uint8_t kEmergencyStop = 0x00;
constexpr std::uint8_t kEmergencyStopAlt = 0xFF;
constexpr std::uint8_t kClearEmergencyStop = 'c';
constexpr std::uint8_t kPing = '?';

// Responses.
constexpr std::uint8_t kAck = 'a';
constexpr std::uint8_t kNakFull = 'F';
constexpr std::uint8_t kNakInvalid = 'I';
constexpr std::uint8_t kNakStop = '!';

enum class LightEngine : std::uint8_t { Ready = 0, Warmup = 1, Cooldown = 2, EmergencyStop = 3 };
enum class Playback : std::uint8_t { Idle = 0, Prepared = 1, Playing = 2 };

// Playback flags.
constexpr std::uint16_t kFlagShutter = 0x01;
constexpr std::uint16_t kFlagUnderflow = 0x02;
constexpr std::uint16_t kFlagEStop = 0x04;
// Light engine flags.
constexpr std::uint16_t kEngineEStopNetwork = 0x01;
// A point's control word: the next queued point rate starts here.
constexpr std::uint16_t kControlRateChange = 0x8000;

struct Status {
    std::uint8_t protocol = 0;
    LightEngine lightEngine = LightEngine::Ready;
    Playback playback = Playback::Idle;
    std::uint8_t source = 0;
    std::uint16_t lightEngineFlags = 0;
    std::uint16_t playbackFlags = 0;
    std::uint16_t sourceFlags = 0;
    std::uint16_t bufferFullness = 0;
    std::uint32_t pointRate = 0;
    std::uint32_t pointCount = 0;
    bool operator==(const Status &) const = default;
};

struct Response {
    std::uint8_t response = kAck;
    std::uint8_t command = kPing;
    Status status;
    bool operator==(const Response &) const = default;
};

struct Broadcast {
    std::array<std::uint8_t, 6> mac{};
    std::uint16_t hardwareRevision = 0;
    std::uint16_t softwareRevision = 0;
    std::uint16_t bufferCapacity = 0;
    std::uint32_t maxPointRate = 0;
    Status status;
    bool operator==(const Broadcast &) const = default;
};

struct Point {
    std::uint16_t control = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint16_t r = 0, g = 0, b = 0, i = 0, u1 = 0, u2 = 0;
    bool operator==(const Point &) const = default;
};

std::vector<std::uint8_t> EncodeResponse(const Response &response);
std::optional<Response> DecodeResponse(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> EncodeBroadcast(const Broadcast &broadcast);
std::optional<Broadcast> DecodeBroadcast(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> BeginCommand(std::uint16_t lowWaterMark, std::uint32_t rate);
std::vector<std::uint8_t> QueueRateCommand(std::uint32_t rate);
std::vector<std::uint8_t> DataCommand(std::span<const Point> points);
// The point count of a data command's header (3 bytes).
std::uint16_t DataCount(const std::uint8_t *header);
Point DecodePoint(const std::uint8_t *bytes); // 18 bytes
// The size of the command starting with first, without a data command's
// points; 0 for a byte that starts no command.
std::size_t CommandSize(std::uint8_t first);

// An ILDA point as the DAC takes it: 8-bit colour widened to 16 bits,
// intensity the brightest of the three, blanked points dark.
Point FromIlda(const ilda::Point &point);
ilda::Point ToIlda(const Point &point);

} // namespace dac::etherdream
