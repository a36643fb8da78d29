// Which frame of a show is due, and which are skipped: slot k of a show at
// fps frames a second is due from k/fps seconds. The clock is handed in,
// so that a sender can follow points played, the wall clock, or another
// sender's clock.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace dac {

enum class Timing {
    Keep,  // the show keeps its time: frames whose time has passed are skipped
    Every, // every frame is shown once at least; a late frame delays the rest
};
// "keep" or "every".
std::optional<Timing> ParseTiming(const std::string &text);

class ShowClock {
public:
    using Now = std::function<double()>; // seconds since the show began

    ShowClock(double fps, Timing timing, Now now);
    // The slot on show.
    std::uint64_t Slot() const { return slot_; }
    // When the slot on show ends, in the clock's seconds.
    double SlotEnd() const { return SlotEnd(slot_); }
    // Called once the slot's frame has gone out whole: the slot due now,
    // the same one while its time lasts.
    std::uint64_t Next();
    // After the output was lost: the slot due now (Keep), or the one on
    // show again from now (Every).
    std::uint64_t Resume();
    // The slot due at seconds were frames shown one slot each from now on.
    std::uint64_t DueAt(double seconds) const;
    // Where a show lost at seconds comes back: the next slot's start when
    // it keeps its time (a frame begun mid-slot plays whole and would keep
    // every frame after it late by as much), seconds itself when it shows
    // every frame.
    double ComeBackAt(double seconds) const;
    // Slots whose time passed without their frame going out.
    std::uint64_t Skipped() const { return skipped_; }

private:
    double SlotEnd(std::uint64_t slot) const { return static_cast<double>(slot + 1) / fps_ + delay_; }

    double fps_;
    Timing timing_;
    Now now_;
    std::uint64_t slot_ = 0;
    std::uint64_t skipped_ = 0;
    double delay_ = 0; // seconds the show was delayed by late frames (Every)
};

} // namespace dac
