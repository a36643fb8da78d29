// Emulators of both DACs, for tests, benchmarks and users without a
// laser: they listen (on loopback unless told otherwise), play what they
// are sent against their own clock at the rate they were given, count
// underflows, announce themselves, and keep what they received.
#pragma once

#include "dac/Net.h"
#include "dac/Stream.h"
#include "ilda/Codec.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace dac {

struct EmulatorOptions {
    Kind kind = Kind::EtherDream;
    std::string address = "127.0.0.1";
    std::uint16_t port = 0; // 0: the protocol's own
    bool anyPort = false;   // a free port the system picks, told by Port()
    std::string name = "lumivex-emulator";
    std::uint32_t capacity = 1800; // points (Ether Dream)
    std::uint32_t maxRate = 100000;
    // Ether Dream: where the broadcast goes each second (empty: nowhere).
    std::string broadcastTo = "127.0.0.1";
    std::uint16_t broadcastPort = 7654;
    double dropAfter = -1;  // seconds: drop the connection (or fall silent) once, for a second
    double estopAfter = -1; // seconds: an emergency stop (Ether Dream)
    bool keep = false;      // keep what is received, for Recording()
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
    bool estop = false;
    bool playing = false;
    double rate = 0;
    // What came, a letter each (first 4096): Ether Dream the command bytes;
    // IDN 'c' before a message carrying the configuration, then 'f' a whole
    // frame, '1' a first fragment, '+' a sequel, 'v' no samples, 'x' a close.
    std::string log;
    // Seconds after the first frame message at which each IDN frame arrived.
    std::vector<double> frameArrivals;
    // When marked frames began to play, by this machine's steady clock
    // (first 100,000): a frame is marked by a lit first point at x = -32768,
    // and its y names it; a marked frame repeated counts once.
    std::vector<std::pair<double, std::int16_t>> frameStarts;
    // Ether Dream: where a queued rate began (the number of the point that
    // said so, counted from the last prepare) and the rate.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> rateChanges;
};

class Emulator {
public:
    explicit Emulator(EmulatorOptions options);
    ~Emulator();
    // Binds and starts; false with problem when it cannot listen.
    bool Start(std::string &problem);
    void Stop();
    std::uint16_t Port() const { return port_; }
    EmulatorFigures Figures() const;
    // What was received, in order: one frame per IDN message; for the Ether
    // Dream the points as they came, a frame per second of them.
    std::vector<std::vector<ilda::Point>> Recording() const;

private:
    void RunEtherDream();
    void RunIdn();
    void Announce(int fd, const sockaddr_in &to);
    void Log(char letter);
    // Notes a marked frame's start, with the lock held.
    void NoteStart(const ilda::Point &first, Clock::time_point at);

    EmulatorOptions options_;
    std::uint16_t port_ = 0;
    int listenFd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    EmulatorFigures figures_;
    std::vector<std::vector<ilda::Point>> recording_;
    struct EtherDreamState;
};

} // namespace dac
