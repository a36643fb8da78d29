// What an emulated DAC counted and kept, shared between its thread and
// whoever asks. Every list in it is bounded: a sender that floods the
// unit must not grow its memory.
#pragma once

#include "dac/Net.h"
#include "emulator/Options.h"
#include "ilda/Codec.h"

#include <cstddef>
#include <mutex>
#include <span>
#include <vector>

namespace emu {

constexpr std::size_t kMostKeptPoints = 20'000'000;
constexpr std::size_t kMostKeptFrames = 65535; // what an ILDA file numbers
constexpr std::size_t kMostPerFrame = 65535;   // an ILDA frame's limit

class Tally {
public:
    explicit Tally(bool keep) : keep_(keep) {}
    bool Keeping() const { return keep_; }
    // Changes the figures under the lock.
    template <typename Change> void Update(Change change)
    {
        std::lock_guard lock(mutex_);
        change(figures_);
    }
    void Log(char letter);
    void Count(std::uint64_t EmulatorFigures::*field, std::uint64_t by = 1);
    void Arrival(double seconds);
    void RateChange(std::uint64_t point, std::uint32_t rate);
    // A marked frame began to play at (see EmulatorFigures::frameStarts).
    void FrameStart(const ilda::Point &first, dac::Clock::time_point at);
    // The same for a point played in a tick that ended at now, with
    // pointsAfter points after it at rate: a tick's points were due between
    // the last tick and now.
    void FrameStart(const ilda::Point &first, dac::Clock::time_point now, double pointsAfter, double rate)
    {
        FrameStart(first, now - std::chrono::duration_cast<dac::Clock::duration>(
                                    std::chrono::duration<double>(pointsAfter / rate)));
    }
    // One frame as it came (IDN), cut to what an ILDA frame holds.
    void KeepFrame(std::vector<ilda::Point> frame);
    // Points as they played (Ether Dream), perFrame to a frame.
    void KeepPoints(std::span<const ilda::Point> points, std::size_t perFrame);

    EmulatorFigures Figures() const;
    std::vector<std::vector<ilda::Point>> Recording() const;

private:
    const bool keep_;
    mutable std::mutex mutex_;
    EmulatorFigures figures_;
    std::vector<std::vector<ilda::Point>> recording_;
    std::size_t keptPoints_ = 0;
};

} // namespace emu
