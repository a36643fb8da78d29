// A show streamed to a fresh emulator on loopback, and what came of it:
// shared by the senders' tests.
#pragma once

#include "LoopbackEmulator.h"

#include "dac/Show.h"
#include "emulator/Emulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace streamtest {

inline ilda::Point Lit(std::int16_t x, std::int16_t y, ilda::Color color = ilda::Rgb(200, 100, 50))
{
    ilda::Point p;
    p.x = x;
    p.y = y;
    p.color = color;
    return p;
}

inline bool BlankCentre(const ilda::Point &p)
{
    return p.Blanked() && p.x == 0 && p.y == 0;
}

inline std::vector<ilda::Point> Flatten(const std::vector<std::vector<ilda::Point>> &frames)
{
    std::vector<ilda::Point> out;
    for (const auto &f : frames)
        out.insert(out.end(), f.begin(), f.end());
    return out;
}

struct Session {
    dac::StreamOutcome outcome;
    emu::EmulatorFigures figures;
    std::vector<std::vector<ilda::Point>> recording;
};

// Streams frames (slots of them) to a fresh emulator and stops it after.
inline Session Stream(emu::EmulatorOptions emulatorOptions, std::vector<std::vector<ilda::Point>> frames,
                      std::uint64_t slots, dac::StreamOptions options = {})
{
    emulatorOptions.keep = true;
    emu::Emulator emulator(emulatorOptions);
    std::string problem;
    EXPECT_TRUE(emulator.Start(problem)) << problem;
    options.target = {emulatorOptions.kind, "127.0.0.1", emulator.Port()};
    dac::ShowSource source(std::move(frames), true, slots);
    std::atomic<bool> stop{false};
    Session run;
    run.outcome = dac::RunStream(options, source, stop);
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // the last datagrams land
    emulator.Stop();
    run.figures = emulator.Figures();
    run.recording = emulator.Recording();
    return run;
}

} // namespace streamtest
