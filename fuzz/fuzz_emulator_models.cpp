// The emulators' protocol models on arbitrary input, as a host on the
// network could send it: an Ether Dream command stream cut into pieces
// (even first byte), or IDN datagrams (odd). They answer only in whole
// responses, never hold more than their buffer, and keep frames an ILDA
// file can hold; an IDN unit that holds frames plays each within its hold
// of its arrival, whatever the stamps.
#include "Check.h"

#include "emulator/EtherDreamModel.h"
#include "emulator/HostClock.h"
#include "emulator/IdnModel.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

namespace ed = dac::etherdream;
using namespace std::chrono_literals;

const dac::Clock::time_point kStart = dac::Clock::time_point{} + 1h;

emu::EmulatorOptions Options(dac::Kind kind)
{
    emu::EmulatorOptions options;
    options.kind = kind;
    options.capacity = 64;
    options.keep = true;
    return options;
}

// Each piece: a length byte, then that many bytes; 1 ms passes per piece.
void EtherDream(std::span<const std::uint8_t> input)
{
    emu::Tally tally(true);
    emu::EtherDreamModel model(Options(dac::Kind::EtherDream), tally, kStart);
    auto now = kStart;
    model.Connect(now);
    while (!input.empty()) {
        const std::size_t n = std::min<std::size_t>(input[0], input.size() - 1);
        const auto out = model.Receive(input.subspan(1, n), now += 1ms);
        input = input.subspan(1 + n);
        FUZZ_CHECK(out.size() % ed::kResponseSize == 0);
        for (std::size_t at = 0; at < out.size(); at += ed::kResponseSize) {
            const auto response = ed::DecodeResponse(std::span(out).subspan(at, ed::kResponseSize));
            FUZZ_CHECK(response && response->status.bufferFullness <= 64);
        }
        model.Tick(now);
    }
    const auto figures = tally.Figures();
    FUZZ_CHECK(figures.pointsPlayed <= figures.pointsReceived);
}

// Each datagram: a 16-bit length, then its bytes; 1 ms passes per datagram.
void Idn(std::span<const std::uint8_t> input)
{
    emu::Tally tally(true);
    auto options = Options(dac::Kind::Idn);
    options.holdSeconds = 0.040;
    emu::IdnModel model(options, 7255, tally, kStart);
    emu::HostClock clock(options.holdSeconds);
    auto now = kStart;
    while (input.size() >= 2) {
        const std::size_t n = std::min<std::size_t>(input[0] << 8 | input[1], input.size() - 2);
        const auto datagram = input.subspan(2, n);
        const auto reply = model.Receive(datagram, now += 1ms);
        if (datagram.size() >= 4) {
            const std::uint32_t stamp = std::uint32_t{datagram[0]} << 24 | std::uint32_t{datagram[1]} << 16 |
                                        std::uint32_t{datagram[2]} << 8 | datagram[3];
            const auto plays = clock.Plays(stamp, now);
            FUZZ_CHECK(plays >= now && plays <= now + 40ms + 1us);
        }
        input = input.subspan(2 + n);
        if (!reply.empty() && reply[0] == dac::idn::kScanResponse)
            FUZZ_CHECK(dac::idn::DecodeScanResponse(reply).has_value());
        else if (!reply.empty())
            FUZZ_CHECK(reply.size() == datagram.size() && reply[0] == dac::idn::kPingResponse);
        model.Tick(now);
    }
    for (const auto &frame : tally.Recording())
        FUZZ_CHECK(frame.size() <= emu::kMostPerFrame);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::span<const std::uint8_t> input(data + 1, size - 1);
    if (data[0] % 2 == 0)
        EtherDream(input);
    else
        Idn(input);
    return 0;
}
