#include "emulator/SimulatedHelios.h"

namespace emu {

namespace hx = dac::helios;

void SimulatedHelios::Advance(Clock::duration time)
{
    now_ += time;
    if (backAt_ && now_ >= *backAt_) {
        plugged = true;
        backAt_.reset();
    }
    while (playing_ && !stopped && playing_->left <= time) {
        time -= playing_->left;
        pointsPlayed += playing_->points;
        if (held_) {
            playing_ = held_;
            held_.reset();
        } else if (playing_->single) {
            playing_.reset();
        } else {
            ++underflows; // the unit repeats its frame
            playing_->left = playing_->length;
            if (playing_->length == Clock::duration{})
                break;
        }
    }
    if (playing_ && !stopped)
        playing_->left -= time;
}

void SimulatedHelios::TakeFrame(std::span<const std::uint8_t> bytes)
{
    const std::size_t n = bytes.size() - hx::kTrailerBytes;
    const auto *trailer = bytes.data() + n;
    const unsigned rate = trailer[0] | trailer[1] << 8;
    const unsigned count = trailer[2] | trailer[3] << 8;
    Playing frame;
    frame.points = count;
    frame.length = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(double(count) / rate));
    frame.left = frame.length;
    frame.single = trailer[4] & hx::kSingleMode;
    ++frames;
    stopped = false;
    if (!playing_)
        playing_ = frame;
    else if (!held_)
        held_ = frame;
    else
        ++framesWhileFull;
    if (unplugAfterFrames && frames == *unplugAfterFrames) {
        plugged = false;
        backAt_ = now_ + unpluggedFor;
    }
}

rtl::Result<void> SimulatedHelios::Write(dac::UsbPipe pipe, std::uint8_t endpoint, std::span<const std::uint8_t> bytes,
                                         std::chrono::milliseconds)
{
    Advance(std::chrono::microseconds(125)); // one USB frame
    if (!plugged || !open_)
        return rtl::Fail("no device", dac::kUsbNoDevice);
    if (keepLog)
        writes.push_back({pipe, endpoint, {bytes.begin(), bytes.end()}});
    if (pipe == dac::UsbPipe::Bulk && endpoint == hx::kBulkOut) {
        TakeFrame(bytes);
    } else if (bytes.size() == 2 && bytes[0] == hx::kStatusCommand) {
        statusAsked_ = true;
    } else if (bytes.size() == 2 && bytes[0] == hx::kStopCommand) {
        stopped = true;
        playing_.reset();
        held_.reset();
    }
    return {};
}

rtl::Result<std::vector<std::uint8_t>> SimulatedHelios::Read(dac::UsbPipe, std::uint8_t endpoint, std::size_t most,
                                                             std::chrono::milliseconds timeout)
{
    Advance(std::chrono::microseconds(125));
    if (!plugged || !open_)
        return rtl::Fail("no device", dac::kUsbNoDevice);
    if (!statusAsked_ || endpoint != hx::kInterruptIn) {
        ++unansweredReads;
        Advance(timeout);
        return rtl::Fail("timed out", dac::kUsbTimeout);
    }
    statusAsked_ = false;
    std::vector<std::uint8_t> answer(std::min<std::size_t>(most, hx::kAnswerBytes));
    answer[0] = hx::kStatusAnswer;
    answer[1] = held_ ? 0 : 1;
    return answer;
}

} // namespace emu
