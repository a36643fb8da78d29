// The socket side of each emulated DAC: it owns its sockets and runs its
// loop on the emulator's thread, feeding the kind's protocol model. A new
// kind is a new file with its Open function, and a line in Emulator.cpp.
#pragma once

#include "dac/Net.h"
#include "emulator/Options.h"
#include "emulator/Tally.h"
#include "rtl/Result.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace emu {

class Unit {
public:
    virtual ~Unit() = default;
    virtual std::uint16_t Port() const = 0;
    // Serves until stop is set; every wait in it is short.
    virtual void Run(const std::atomic<bool> &stop) = 0;
};

// A socket bound where the options say (ownPort unless they name one).
struct Bound {
    dac::Socket socket;
    std::uint16_t port = 0;
};
rtl::Result<Bound> Bind(const EmulatorOptions &options, std::uint16_t ownPort, bool stream);

rtl::Result<std::unique_ptr<Unit>> OpenEtherDream(const EmulatorOptions &options, Tally &tally);
rtl::Result<std::unique_ptr<Unit>> OpenIdn(const EmulatorOptions &options, Tally &tally);
rtl::Result<std::unique_ptr<Unit>> OpenLaserCube(const EmulatorOptions &options, Tally &tally);

} // namespace emu
