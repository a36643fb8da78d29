// The Ether Dream as its protocol has it, without sockets: bytes from the
// host and the time in, the responses out. Its buffer plays out at the
// point rate against the clock it is given; a queued rate starts at the
// point whose control word says so.
#pragma once

#include "dac/EtherDream.h"
#include "dac/Net.h"
#include "emulator/Options.h"
#include "emulator/Tally.h"

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

namespace emu {

class EtherDreamModel {
public:
    EtherDreamModel(const EmulatorOptions &options, Tally &tally, dac::Clock::time_point start);
    // A host connected: the status it is greeted with.
    std::vector<std::uint8_t> Connect(dac::Clock::time_point now);
    // Bytes from the host, in any cuts: a response to each whole command.
    std::vector<std::uint8_t> Receive(std::span<const std::uint8_t> bytes, dac::Clock::time_point now);
    // The host went: playback stops, a half-received command is forgotten.
    void Disconnect();
    // Plays what is due by now; raises the timed emergency stop.
    void Tick(dac::Clock::time_point now);
    // What the unit announces each second.
    std::vector<std::uint8_t> Broadcast(std::uint16_t port) const;
    const dac::etherdream::Status &Status() const { return status_; }

private:
    std::size_t Handle(std::span<const std::uint8_t> pending, std::vector<std::uint8_t> &out);
    std::uint8_t Answer(std::uint8_t command, std::span<const std::uint8_t> bytes);
    std::uint8_t Prepare();
    std::uint8_t Rate(std::uint8_t command, std::uint32_t rate);
    std::uint8_t Data(std::span<const std::uint8_t> bytes);
    void Respond(std::uint8_t answer, std::uint8_t command, std::vector<std::uint8_t> &out);
    void EnterEstop(std::uint16_t flag);
    void Play(dac::Clock::time_point now);
    // count: the points this tick played before; a marked frame's first
    // point goes to marks with it.
    bool PlayOne(std::vector<ilda::Point> &played, std::vector<std::pair<std::uint64_t, ilda::Point>> &marks,
                 std::uint64_t count);
    void Publish();

    const EmulatorOptions options_;
    Tally &tally_;
    const dac::Clock::time_point start_;
    dac::Clock::time_point lastTick_;
    dac::etherdream::Status status_;
    std::deque<dac::etherdream::Point> buffer_;
    std::deque<std::uint32_t> rates_; // queued rates, at most the buffer's capacity
    std::vector<std::uint8_t> inbox_; // a command not yet whole
    double owed_ = 0;
    bool estopped_ = false;
};

} // namespace emu
