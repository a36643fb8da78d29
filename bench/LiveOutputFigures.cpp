// Live output on loopback: a show streamed to each emulator (Ether Dream,
// IDN, LaserCube) at 30,000 points a second and 30 frames a second (60 s,
// or 2 s with quick), and how long discovery takes to hear each emulator;
// when a show of frames twice their slot ends under --timing keep (10 s,
// or 2 s with quick); the same show to a simulated Helios.
#include "Figures.h"

#include "dac/Discovery.h"
#include "dac/HeliosSender.h"
#include "dac/Net.h"
#include "dac/Show.h"
#include "emulator/Emulator.h"
#include "emulator/SimulatedHelios.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

namespace {

constexpr double kRate = 30000;
constexpr double kFps = 30;

std::vector<std::vector<ilda::Point>> Show()
{
    // 30 frames of a circle of 400 to 1,100 points: some fit a datagram, most not.
    std::vector<std::vector<ilda::Point>> frames;
    for (int f = 0; f < 30; ++f) {
        const int count = 400 + f * 25;
        std::vector<ilda::Point> frame(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const double a = 2 * M_PI * i / count;
            frame[static_cast<std::size_t>(i)].x = static_cast<std::int16_t>(20000 * std::cos(a));
            frame[static_cast<std::size_t>(i)].y = static_cast<std::int16_t>(20000 * std::sin(a));
            frame[static_cast<std::size_t>(i)].color = ilda::Rgb(255, static_cast<std::uint8_t>(f * 8), 0);
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

// A LaserCube emulator as the unit is (6,000 points of buffer), on any
// free pair of ports.
emu::EmulatorOptions EmulatorFor(dac::Kind kind)
{
    emu::EmulatorOptions options;
    options.kind = kind;
    if (kind == dac::Kind::LaserCube) {
        options.capacity = 6000;
        options.anyPort = true;
    }
    return options;
}

// An emulator on loopback that broadcasts nowhere; null, told, when it
// cannot start.
std::unique_ptr<emu::Emulator> StartEmulator(emu::EmulatorOptions options)
{
    options.broadcastTo.clear();
    auto emulator = std::make_unique<emu::Emulator>(options);
    std::string problem;
    if (emulator->Start(problem))
        return emulator;
    std::fprintf(stderr, "lumivex-bench: %s\n", problem.c_str());
    return nullptr;
}

bool StreamFigures(dac::Kind kind, double seconds)
{
    const std::string name = std::string("live_") + dac::KindName(kind);
    const auto emulator = StartEmulator(EmulatorFor(kind));
    if (!emulator)
        return false;
    dac::StreamOptions options;
    options.target = {kind, "127.0.0.1", emulator->Port()};
    options.rate = kRate;
    options.fps = kFps;
    const auto slots = static_cast<std::uint64_t>(std::llround(seconds * kFps));
    dac::ShowSource source(Show(), true, slots);
    std::atomic<bool> stop{false};
    std::vector<double> sentAt(slots, -1);
    std::vector<std::uint64_t> sentSlots; // in the order sent: a late frame's successors may be skipped
    std::optional<dac::Clock::time_point> first;
    dac::StreamHooks hooks;
    hooks.onFrameSent = [&](std::uint64_t slot) {
        const auto now = dac::Clock::now();
        if (!first)
            first = now;
        if (slot < sentAt.size())
            sentAt[slot] = std::chrono::duration<double>(now - *first).count();
        sentSlots.push_back(slot);
    };
    const auto outcome = dac::RunStream(options, source, stop, hooks);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    emulator->Stop();
    if (outcome.end != dac::StreamEnd::Done) {
        std::fprintf(stderr, "lumivex-bench: %s stream ended early: %s\n", name.c_str(), outcome.message.c_str());
        return false;
    }
    const auto figures = emulator->Figures();
    // The show's points and the blanked ends: the lead-in whole, of the
    // lead-out what plays before the Ether Dream is stopped (a fifth), the
    // IDN channel is closed (nothing) or the LaserCube's output goes off
    // (all of it: its buffer is drained first).
    const double leads = kind == dac::Kind::EtherDream ? 1.2 : kind == dac::Kind::Idn ? 1 : 2;
    const double expected = kRate * (static_cast<double>(slots) / kFps + leads * options.leadSeconds);
    bench::Figure(name + "_points_played", static_cast<double>(figures.pointsPlayed), "points");
    bench::Figure(name + "_count_error_pct",
                  100.0 * std::abs(static_cast<double>(figures.pointsPlayed) - expected) / expected, "%");
    bench::Figure(name + "_underflows", static_cast<double>(figures.underflows), "");
    // How late a frame is against its due time, slot/fps after the first.
    // IDN: when it reached the emulator; Ether Dream: when its first point
    // went into the socket (the emulator plays it from its buffer later).
    double late = -1e9;
    const auto &arrivals = figures.frameArrivals;
    for (std::size_t k = 0; k < sentSlots.size(); ++k) {
        const std::uint64_t slot = sentSlots[k];
        double at = slot < sentAt.size() ? sentAt[slot] : -1;
        if (kind == dac::Kind::Idn && k + 1 < arrivals.size())
            at = arrivals[k + 1] - arrivals[1]; // arrivals[0] is the lead-in
        if (at >= 0)
            late = std::max(late, (at - static_cast<double>(slot) / kFps) * 1000);
    }
    bench::Figure(name + "_frame_late_max_ms", late, "ms");
    return true;
}

// The Helios sender against a simulated unit, on its clock: the count
// checks that frames cut from the feed keep the show's time.
void HeliosFigures(double seconds)
{
    emu::SimulatedHelios unit;
    unit.keepLog = false;
    dac::StreamOptions options;
    options.target.kind = dac::Kind::Helios;
    options.rate = kRate;
    options.fps = kFps;
    const auto slots = static_cast<std::uint64_t>(std::llround(seconds * kFps));
    dac::ShowSource source(Show(), true, slots);
    std::atomic<bool> stop{false};
    const auto outcome = dac::RunHelios(options, source, stop, {}, unit);
    const double expected = kRate * (static_cast<double>(slots) / kFps + 2 * options.leadSeconds);
    const auto played = static_cast<double>(unit.pointsPlayed);
    bench::Figure("live_helios_points_played", played, "points");
    bench::Figure("live_helios_count_error_pct", 100.0 * std::abs(played - expected) / expected, "%");
    bench::Figure("live_helios_underflows", static_cast<double>(unit.underflows), "");
    bench::Figure("live_helios_frames_without_room", static_cast<double>(unit.framesWhileFull), "");
    bench::Figure("live_helios_done", outcome.end == dac::StreamEnd::Done ? 1 : 0, "");
}

void DiscoveryFigures()
{
    for (const dac::Kind kind : {dac::Kind::EtherDream, dac::Kind::Idn, dac::Kind::LaserCube}) {
        emu::EmulatorOptions options = EmulatorFor(kind);
        options.port = 0; // the broadcast still goes to 127.0.0.1:7654
        emu::Emulator emulator(options);
        std::string problem;
        if (!emulator.Start(problem))
            continue;
        dac::DiscoveryOptions discovery;
        discovery.broadcast = false;
        discovery.timeout = std::chrono::milliseconds(1500);
        discovery.addresses = {"127.0.0.1:" + std::to_string(emulator.Port())};
        discovery.laserCubeAddresses = discovery.addresses;
        // Discovery waits its whole timeout; the figure is when the unit was first heard.
        const auto start = dac::Clock::now();
        double heardMs = -1;
        for (int attempt = 0; attempt < 15 && heardMs < 0; ++attempt) {
            discovery.timeout = std::chrono::milliseconds(100);
            const auto found = dac::Discover(discovery, problem);
            if (std::any_of(found.begin(), found.end(), [&](const dac::FoundDac &d) { return d.kind == kind; }))
                heardMs = std::chrono::duration<double, std::milli>(dac::Clock::now() - start).count();
        }
        emulator.Stop();
        bench::Figure(std::string("live_discovery_") + dac::KindName(kind) + "_ms", heardMs, "ms");
    }
}

// --timing keep with frames that take twice their slot: when the show ends
// against when it should (seconds), and the frames shown and skipped.
bool KeepTimeFigures(double seconds)
{
    const auto emulator = StartEmulator({});
    if (!emulator)
        return false;
    dac::StreamOptions options;
    options.target = {dac::Kind::EtherDream, "127.0.0.1", emulator->Port()};
    options.rate = kRate;
    options.fps = kFps;
    options.timing = dac::Timing::Keep;
    std::vector<ilda::Point> frame(static_cast<std::size_t>(2 * kRate / kFps)); // two slots
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i].x = static_cast<std::int16_t>(i * 10);
    dac::ShowSource source({frame}, true, static_cast<std::uint64_t>(std::llround(seconds * kFps)));
    std::atomic<bool> stop{false};
    // Frames go out a buffer's time before they play (the first sooner,
    // while the buffer fills): from the second frame shown (slot 2) to the
    // end of the last, which lasts two slots.
    std::optional<dac::Clock::time_point> second, last;
    std::uint64_t shown = 0;
    dac::StreamHooks hooks;
    hooks.onFrameSent = [&](std::uint64_t slot) {
        last = dac::Clock::now();
        if (slot == 2)
            second = last;
        ++shown;
    };
    const auto outcome = dac::RunStream(options, source, stop, hooks);
    const double took = second ? std::chrono::duration<double>(*last - *second).count() + 4 / kFps : 0;
    emulator->Stop();
    if (outcome.end != dac::StreamEnd::Done) {
        std::fprintf(stderr, "lumivex-bench: live_keep stream ended early: %s\n", outcome.message.c_str());
        return false;
    }
    bench::Figure("live_keep_show_end_s", took, "s");
    bench::Figure("live_keep_show_end_error_frames", std::abs(took - seconds) * kFps, "frames");
    bench::Figure("live_keep_frames_shown", static_cast<double>(shown), "frames");
    bench::Figure("live_keep_frames_skipped", static_cast<double>(outcome.status.skipped), "frames");
    return true;
}

} // namespace

bool bench::LiveOutputFigures(bool quick)
{
    const double seconds = quick ? 2 : 60;
    DiscoveryFigures();
    HeliosFigures(seconds);
    // On free ports of their own: measured even when a DAC's own port is taken.
    const bool inStep = bench::MultiShowFigures(quick);
    // Each kind's figures even when another's port is taken on this machine.
    const bool etherDream = StreamFigures(dac::Kind::EtherDream, seconds);
    const bool idn = StreamFigures(dac::Kind::Idn, seconds);
    const bool laserCube = StreamFigures(dac::Kind::LaserCube, seconds);
    return inStep && etherDream && idn && laserCube && KeepTimeFigures(quick ? 2 : 10);
}
