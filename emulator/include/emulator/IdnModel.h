// An IDN unit as its protocol has it, without sockets: datagrams and the
// time in, replies out. It answers scans and pings, takes frames (whole or
// in fragments) on its channel and plays the latest over and over at the
// pace its duration sets: from its arrival, or held past its timestamp.
#pragma once

#include "dac/Idn.h"
#include "dac/Net.h"
#include "emulator/HostClock.h"
#include "emulator/Options.h"
#include "emulator/Tally.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace emu {

class IdnModel {
public:
    // port: the one it listens on, part of the identity it answers scans with.
    IdnModel(const EmulatorOptions &options, std::uint16_t port, Tally &tally, dac::Clock::time_point start);
    // One datagram from a host: the reply to send back, or nothing.
    std::vector<std::uint8_t> Receive(std::span<const std::uint8_t> datagram, dac::Clock::time_point now);
    // Plays what is due by now; notices a source that fell silent.
    void Tick(dac::Clock::time_point now);

private:
    std::vector<std::uint8_t> ScanReply(std::uint16_t sequence) const;
    void Take(const dac::idn::Received &message, dac::Clock::time_point now);
    void TakeSequel(const dac::idn::Received &message, dac::Clock::time_point now);
    // now: when it arrived; plays: when it begins to play.
    void TakeFrame(std::span<const std::uint8_t> sampleBytes, std::uint32_t duration, dac::Clock::time_point now,
                   dac::Clock::time_point plays);
    void LogMessage(const dac::idn::Received &message);

    const EmulatorOptions options_;
    const std::uint16_t port_;
    Tally &tally_;
    const dac::Clock::time_point start_;
    dac::Clock::time_point lastTick_, lastMessage_, silentUntil_;
    std::optional<dac::Clock::time_point> firstFrame_;
    bool open_ = false, gapCounted_ = false, dropped_ = false;
    double frameRate_ = 0, owed_ = 0;
    std::vector<std::uint8_t> reassembly_; // at most kMostFrameBytes
    std::uint32_t reassemblyDuration_ = 0, nextTimestamp_ = 0;
    dac::Clock::time_point reassemblyPlays_{};
    HostClock hostClock_;
    bool reassembling_ = false;
};

} // namespace emu
