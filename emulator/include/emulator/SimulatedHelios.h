// A Helios on a simulated clock, as the sender sees it through the USB
// transport: it plays each frame for its points over its rate, holds one
// more, answers status requests, and can be unplugged for a while.
#pragma once

#include "dac/Helios.h"
#include "dac/UsbTransport.h"

#include <optional>

namespace emu {

struct UsbWrite {
    dac::UsbPipe pipe;
    std::uint8_t endpoint;
    std::vector<std::uint8_t> bytes;
};

class SimulatedHelios : public dac::UsbTransport {
public:
    using Clock = std::chrono::steady_clock;

    bool plugged = true;
    std::optional<std::size_t> unplugAfterFrames; // unplugged once this many frames came
    Clock::duration unpluggedFor = std::chrono::seconds(1);
    bool keepLog = true;

    std::vector<UsbWrite> writes;
    std::size_t frames = 0;
    std::size_t framesWhileFull = 0; // sent without a free place: lost by a real unit
    std::size_t unansweredReads = 0;
    std::uint64_t underflows = 0; // a frame ended with nothing after it during the show
    std::uint64_t pointsPlayed = 0;
    bool stopped = false;

    rtl::Result<std::vector<dac::UsbDevice>> List(std::uint16_t vendor, std::uint16_t product) override
    {
        Advance({});
        if (vendor != dac::helios::kVendorId || product != dac::helios::kProductId || !plugged)
            return std::vector<dac::UsbDevice>{};
        return std::vector<dac::UsbDevice>{{"bus 1 port 1"}};
    }
    rtl::Result<void> Open(std::uint16_t, std::uint16_t, std::size_t index, int interface, int alt) override
    {
        Advance(std::chrono::milliseconds(1));
        if (!plugged || index != 0 || interface != 0 || alt != 1)
            return rtl::Fail("no such unit", dac::kUsbNoDevice);
        open_ = true;
        return {};
    }
    void Close() override { open_ = false; }
    rtl::Result<void> Write(dac::UsbPipe pipe, std::uint8_t endpoint, std::span<const std::uint8_t> bytes,
                            std::chrono::milliseconds) override;
    rtl::Result<std::vector<std::uint8_t>> Read(dac::UsbPipe pipe, std::uint8_t endpoint, std::size_t most,
                                                std::chrono::milliseconds timeout) override;
    Clock::time_point Now() override { return now_; }
    void Idle(std::chrono::microseconds time) override { Advance(time); }

private:
    struct Playing {
        Clock::duration left{};
        Clock::duration length{};
        std::uint64_t points = 0;
        bool single = false; // played once, then the output stops
    };
    void Advance(Clock::duration time);
    void TakeFrame(std::span<const std::uint8_t> bytes);

    Clock::time_point now_{};
    std::optional<Clock::time_point> backAt_;
    bool open_ = false;
    bool statusAsked_ = false;
    std::optional<Playing> playing_, held_;
};

} // namespace emu
