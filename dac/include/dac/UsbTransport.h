// USB transfers as the Helios sender needs them, behind an interface so
// the tests can put a fake unit in the place of libusb.
#pragma once

#include "rtl/Result.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace dac {

// Failure codes a caller acts on.
constexpr int kUsbTimeout = 2;
constexpr int kUsbNoDevice = 3; // unplugged, or gone from the bus

enum class UsbPipe { Bulk, Interrupt };

struct UsbDevice {
    std::string location; // "bus 1 port 3": where it is plugged in
};

class UsbTransport {
public:
    virtual ~UsbTransport() = default;
    // The devices with these IDs, in the bus's order: index N is unit N.
    virtual rtl::Result<std::vector<UsbDevice>> List(std::uint16_t vendor, std::uint16_t product) = 0;
    virtual rtl::Result<void> Open(std::uint16_t vendor, std::uint16_t product, std::size_t index, int interface,
                                   int altSetting) = 0;
    virtual void Close() = 0;
    virtual rtl::Result<void> Write(UsbPipe pipe, std::uint8_t endpoint, std::span<const std::uint8_t> bytes,
                                    std::chrono::milliseconds timeout) = 0;
    virtual rtl::Result<std::vector<std::uint8_t>> Read(UsbPipe pipe, std::uint8_t endpoint, std::size_t most,
                                                        std::chrono::milliseconds timeout) = 0;
    // The time the sender goes by and its pauses: a fake unit keeps its own.
    virtual std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }
    virtual void Idle(std::chrono::microseconds time);
};

// libusb's; a failure to start libusb shows at the first call.
std::unique_ptr<UsbTransport> MakeLibusbTransport();

} // namespace dac
