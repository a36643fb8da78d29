// An emulated DAC for a test: on loopback, on a port the system picks and
// without the Ether Dream's beacon, so tests run side by side without
// hearing each other. Header only: for the tests that link the emulator.
#pragma once

#include "emulator/Options.h"

namespace testsupport {

inline emu::EmulatorOptions LoopbackEmulator(dac::Kind kind = dac::Kind::EtherDream)
{
    emu::EmulatorOptions options;
    options.kind = kind;
    options.address = "127.0.0.1";
    options.anyPort = true;
    options.broadcastTo.clear();
    return options;
}

} // namespace testsupport
