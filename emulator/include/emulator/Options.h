// How an emulated DAC is set up, and what it counts while it runs.
#pragma once

#include "dac/Stream.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace emu {

struct EmulatorOptions {
    dac::Kind kind = dac::Kind::EtherDream;
    std::string address = "127.0.0.1";
    std::uint16_t port = 0; // 0: the protocol's own
    bool anyPort = false;   // a free port the system picks (a LaserCube: a free pair), told by Port()
    std::string name = "lumivex-emulator";
    std::uint32_t capacity = 1800; // points (Ether Dream)
    std::uint32_t maxRate = 100000;
    // Ether Dream: where the broadcast goes each second (empty: nowhere).
    std::string broadcastTo = "127.0.0.1";
    std::uint16_t broadcastPort = 7654;
    double dropAfter = -1;  // seconds: drop the connection (or fall silent) once, for a second
    double estopAfter = -1; // seconds: an emergency stop (Ether Dream)
    // Ether Dream: a host that sends nothing this long (seconds) is let go,
    // so one silent host cannot keep the others out.
    double idleLimit = 5;
    // IDN: hold each frame this long past its timestamp (seconds), as a
    // unit that evens out the network's delays does; 0: play on arrival.
    double holdSeconds = 0;
    bool keep = false; // keep what is received, for Recording()
};

struct EmulatorFigures {
    std::uint64_t pointsPlayed = 0;
    std::uint64_t pointsReceived = 0;
    std::uint64_t underflows = 0;
    std::uint64_t messages = 0;    // data commands, or IDN frames
    std::uint64_t connections = 0; // TCP connections, or channel openings
    std::uint64_t closes = 0;      // IDN channels closed by the sender
    std::uint64_t malformed = 0;   // messages that could not be read
    std::uint64_t refusedFull = 0; // Ether Dream data commands refused for a full buffer
    std::uint64_t letGo = 0;       // Ether Dream hosts dropped for silence or for not reading
    bool estop = false;
    bool playing = false;
    double rate = 0;
    // What came, a letter each (first 4096): Ether Dream the command bytes;
    // IDN 'c' before a message carrying the configuration, then 'f' a whole
    // frame, '1' a first fragment, '+' a sequel, 'v' no samples, 'x' a close.
    std::string log;
    // Seconds after the first frame message at which each IDN frame arrived
    // (the first kMostArrivals).
    std::vector<double> frameArrivals;
    // Ether Dream: where a queued rate began (the number of the point that
    // said so, counted from the last prepare) and the rate (the first
    // kMostArrivals).
    std::vector<std::pair<std::uint64_t, std::uint32_t>> rateChanges;
    // When marked frames began to play, by this machine's steady clock
    // (the first kMostArrivals): a frame is marked by a lit first point at
    // x = -32768, and its y names it; a marked frame repeated counts once.
    std::vector<std::pair<double, std::int16_t>> frameStarts;
};

constexpr std::size_t kMostLogged = 4096;
constexpr std::size_t kMostArrivals = 1'000'000;

} // namespace emu
