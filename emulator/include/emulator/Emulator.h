// Emulators of the network DACs, for tests, benchmarks and users without a
// laser: they listen (on loopback unless told otherwise), play what they
// are sent against their own clock at the rate they were given, count
// underflows, announce themselves, and keep what they received.
#pragma once

#include "emulator/Options.h"
#include "emulator/Tally.h"
#include "ilda/Codec.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace emu {

class Unit;

class Emulator {
public:
    explicit Emulator(EmulatorOptions options);
    ~Emulator();
    // Binds and starts; false with problem when it cannot listen.
    bool Start(std::string &problem);
    void Stop();
    std::uint16_t Port() const { return port_; }
    EmulatorFigures Figures() const { return tally_.Figures(); }
    // What was received, in order: one frame per IDN message; for the Ether
    // Dream the points as they came, a frame per second of them.
    std::vector<std::vector<ilda::Point>> Recording() const { return tally_.Recording(); }

private:
    EmulatorOptions options_;
    Tally tally_;
    std::unique_ptr<Unit> unit_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace emu
