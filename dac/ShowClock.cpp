#include "dac/ShowClock.h"

#include <cmath>

namespace dac {

std::optional<Timing> ParseTiming(const std::string &text)
{
    if (text == "keep")
        return Timing::Keep;
    if (text == "every")
        return Timing::Every;
    return std::nullopt;
}

ShowClock::ShowClock(double fps, Timing timing, Now now) : fps_(fps), timing_(timing), now_(std::move(now)) {}

std::uint64_t ShowClock::Next()
{
    const double now = now_();
    if (now < SlotEnd(slot_))
        return slot_;
    if (timing_ == Timing::Every) {
        delay_ += now - SlotEnd(slot_); // the next slot starts now
        return ++slot_;
    }
    const auto due = static_cast<std::uint64_t>(std::floor((now - delay_) * fps_));
    const std::uint64_t next = due > slot_ ? due : slot_ + 1;
    skipped_ += next - slot_ - 1;
    return slot_ = next;
}

std::uint64_t ShowClock::DueAt(double seconds) const
{
    const double end = SlotEnd(slot_);
    if (seconds < end)
        return slot_;
    return slot_ + 1 + static_cast<std::uint64_t>(std::floor((seconds - end) * fps_));
}

double ShowClock::ComeBackAt(double seconds) const
{
    if (timing_ == Timing::Every)
        return seconds;
    return std::ceil(seconds * fps_ - 1e-9) / fps_; // a hair past a start is that start
}

std::uint64_t ShowClock::Resume()
{
    const double now = now_();
    if (timing_ == Timing::Every) {
        delay_ = now - static_cast<double>(slot_) / fps_; // the slot on show starts again
        return slot_;
    }
    const auto due = static_cast<std::uint64_t>(std::floor((now - delay_) * fps_));
    if (due > slot_) {
        skipped_ += due - slot_ - 1;
        slot_ = due;
    }
    return slot_;
}

} // namespace dac
