// The Helios laser DAC's USB protocol: a frame of 7-byte points with its
// rate and flags behind them goes to the bulk endpoint; short control
// requests (status, stop, shutter) go to the interrupt endpoint and the
// status answer comes back on the interrupt one.
#pragma once

#include "ilda/Codec.h"
#include "rtl/Result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace dac::helios {

constexpr std::uint16_t kVendorId = 0x1209;
constexpr std::uint16_t kProductId = 0xE500;
constexpr int kInterface = 0;
constexpr int kAltSetting = 1;
constexpr std::uint8_t kBulkOut = 0x02;
constexpr std::uint8_t kInterruptOut = 0x06;
constexpr std::uint8_t kInterruptIn = 0x83;

constexpr std::size_t kMaxPoints = 4096;
constexpr unsigned kMinRate = 7;
constexpr unsigned kMaxRate = 65535;
constexpr std::size_t kPointBytes = 7;
constexpr std::size_t kTrailerBytes = 5; // rate and count, little-endian, then the flags
constexpr std::size_t kAnswerBytes = 32; // an interrupt answer

// Frame flags. Without kSingleMode the unit repeats its last frame until
// the next one comes.
constexpr std::uint8_t kStartImmediately = 0x01;
constexpr std::uint8_t kSingleMode = 0x02;
constexpr std::uint8_t kDontBlock = 0x04;

constexpr std::uint8_t kStopCommand = 0x01;
constexpr std::uint8_t kShutterCommand = 0x02;
constexpr std::uint8_t kStatusCommand = 0x03;
constexpr std::uint8_t kStatusAnswer = 0x83;

// X and Y on 12 bits (0 to 4095, 0 at the left and the bottom).
struct Point {
    std::uint16_t x = 0, y = 0;
    std::uint8_t r = 0, g = 0, b = 0, i = 0;
};
Point FromIlda(const ilda::Point &point);

// The unit's firmware loses a transfer of a multiple of 64 bytes, which a
// frame of 64k + 45 points makes: such a count is refused here.
bool CountAllowed(std::size_t count);
// The most points up to wanted (1 to kMaxPoints) a frame may carry.
std::size_t AllowedCount(std::size_t wanted);
// A point rate the unit plays, or why not.
rtl::Result<void> CheckRate(double rate);
rtl::Result<std::vector<std::uint8_t>> EncodeFrame(std::span<const Point> points, unsigned rate,
                                                   std::uint8_t flags = 0);

std::array<std::uint8_t, 2> StatusRequest();
std::array<std::uint8_t, 2> StopRequest();
std::array<std::uint8_t, 2> ShutterRequest(bool open);
// True: ready for a frame; false: its buffer is full. Nothing: not a status answer.
std::optional<bool> ParseStatus(std::span<const std::uint8_t> answer);

} // namespace dac::helios
