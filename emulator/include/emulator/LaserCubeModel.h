// A LaserCube as its protocol has it, without sockets: command and data
// datagrams and the time in, replies out. Its ring buffer plays out at the
// rate last set while the output is on; a buffer that ran dry is counted as
// an underflow when data come again (the show's own end is no underflow).
#pragma once

#include "dac/LaserCube.h"
#include "dac/Net.h"
#include "emulator/Options.h"
#include "emulator/Tally.h"

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

namespace emu {

class LaserCubeModel {
public:
    LaserCubeModel(const EmulatorOptions &options, Tally &tally, dac::Clock::time_point start);
    // A datagram to the command port: the reply, or nothing.
    std::vector<std::uint8_t> Command(std::span<const std::uint8_t> datagram, dac::Clock::time_point now);
    // A datagram to the data port: the free room when asked for, or nothing.
    std::vector<std::uint8_t> Data(std::span<const std::uint8_t> datagram, dac::Clock::time_point now);
    // Plays what is due by now; falls silent or stops its output when told to.
    void Tick(dac::Clock::time_point now);
    dac::lasercube::Info Info() const;

private:
    std::vector<std::uint8_t> Answer(std::span<const std::uint8_t> datagram);
    void SetOutput(bool on);
    bool SetRate(std::span<const std::uint8_t> datagram);
    std::uint16_t Free() const;

    const EmulatorOptions options_;
    Tally &tally_;
    const dac::Clock::time_point start_;
    dac::Clock::time_point lastTick_, silentUntil_;
    std::deque<dac::lasercube::Sample> buffer_; // at most options_.capacity
    std::uint32_t rate_ = 30000;
    double owed_ = 0;
    std::uint64_t received_ = 0;
    bool output_ = false, responses_ = false, estopped_ = false, dropped_ = false, starved_ = false;
};

} // namespace emu
