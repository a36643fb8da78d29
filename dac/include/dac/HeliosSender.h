// Streaming to a Helios over USB: each frame goes out when the unit says
// its buffer is free; a unit unplugged is waited for and resumed.
#pragma once

#include "dac/Stream.h"
#include "dac/UsbTransport.h"

namespace dac {

// The Helios units plugged in, in the bus's order: target helios:N is the Nth.
rtl::Result<std::vector<UsbDevice>> FindHelios(UsbTransport &usb);

StreamOutcome RunHelios(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                        const StreamHooks &hooks, UsbTransport &usb);

} // namespace dac
