// The Helios sender. The unit holds the frame it plays and one more: the
// status says whether that second place is free. Frames are cut from the
// point feed at about one slot's length, so the show keeps its time.
#include "dac/HeliosSender.h"
#include "SenderLoops.h"

#include "dac/Helios.h"

#include <algorithm>
#include <cmath>

namespace dac {

namespace {

using namespace std::chrono_literals;
namespace hx = helios;

constexpr auto kControlTimeout = 16ms;
constexpr auto kPollPause = 500us; // between status requests while the unit is busy
constexpr auto kSilence = 1s;      // without a status answer: the unit is lost
constexpr auto kReopenEvery = 500ms;
using Clock = std::chrono::steady_clock;

class HeliosRun {
public:
    HeliosRun(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
              const StreamHooks &hooks, UsbTransport &usb)
        : options_(options), stop_(stop), hooks_(hooks), usb_(usb),
          feed_(source, options.rate, options.fps, options.leadSeconds)
    {
        out_.status.rate = options.rate;
    }
    StreamOutcome Run();

private:
    enum class Poll { Ready, Busy, Lost };
    rtl::Result<void> Open();
    bool Control(std::span<const std::uint8_t> request)
    {
        return usb_.Write(UsbPipe::Interrupt, hx::kInterruptOut, request, kControlTimeout).ok();
    }
    Poll Status();
    void FillPending();
    bool SendNext();
    bool Recover();
    void Finish();
    void Report(bool force);

    const StreamOptions &options_;
    const std::atomic<bool> &stop_;
    const StreamHooks &hooks_;
    UsbTransport &usb_;
    PointFeed feed_;
    std::vector<hx::Point> pending_, later_; // taken from the feed, not sent yet; later_ at another rate
    double pendingRate_ = 0, laterRate_ = 0;
    double lastFrameSeconds_ = 0;
    Clock::time_point lastHeard_{}, lastReport_{}, showStart_{};
    StreamOutcome out_;
};

rtl::Result<void> HeliosRun::Open()
{
    auto opened = usb_.Open(hx::kVendorId, hx::kProductId, options_.target.unit, hx::kInterface, hx::kAltSetting);
    if (!opened)
        return opened;
    const auto shutter = hx::ShutterRequest(true);
    if (!Control(shutter))
        return rtl::Fail("the Helios unit does not take requests", kUsbNoDevice);
    lastHeard_ = usb_.Now();
    out_.status.connected = true;
    Report(true);
    return {};
}

HeliosRun::Poll HeliosRun::Status()
{
    const auto request = hx::StatusRequest();
    const auto sent = usb_.Write(UsbPipe::Interrupt, hx::kInterruptOut, request, kControlTimeout);
    auto answer = sent ? usb_.Read(UsbPipe::Interrupt, hx::kInterruptIn, hx::kAnswerBytes, kControlTimeout)
                       : rtl::Result<std::vector<std::uint8_t>>(sent.failure());
    if (!answer && answer.failure().code == kUsbNoDevice)
        return Poll::Lost;
    const auto ready = answer ? hx::ParseStatus(*answer) : std::nullopt;
    if (!ready)
        return usb_.Now() - lastHeard_ > kSilence ? Poll::Lost : Poll::Busy;
    lastHeard_ = usb_.Now();
    return *ready ? Poll::Ready : Poll::Busy;
}

// About one slot's points at one rate in pending_.
void HeliosRun::FillPending()
{
    const auto want = hx::AllowedCount(static_cast<std::size_t>(std::llround(feed_.Rate() / options_.fps)));
    if (pending_.empty() && !later_.empty()) {
        pending_.swap(later_);
        pendingRate_ = laterRate_;
    }
    std::vector<ilda::Point> taken;
    while (later_.empty() && pending_.size() < want && !feed_.Done()) {
        taken.clear();
        feed_.Take(want - pending_.size(), taken);
        auto &into = pending_.empty() || feed_.Rate() == pendingRate_ ? pending_ : later_;
        (&into == &pending_ ? pendingRate_ : laterRate_) = feed_.Rate();
        std::transform(taken.begin(), taken.end(), std::back_inserter(into), hx::FromIlda);
    }
}

bool HeliosRun::SendNext()
{
    FillPending();
    if (pending_.empty())
        return true;
    const std::size_t count = hx::AllowedCount(pending_.size());
    const auto rate =
        static_cast<unsigned>(std::clamp<long long>(std::llround(pendingRate_), hx::kMinRate, hx::kMaxRate));
    // The last frame, the blanked lead-out, plays once rather than on and on.
    const bool last = feed_.Done() && later_.empty() && count == pending_.size();
    const auto frame = hx::EncodeFrame(std::span(pending_).first(count), rate, last ? hx::kSingleMode : 0);
    if (!frame || !usb_.Write(UsbPipe::Bulk, hx::kBulkOut, *frame, 8ms + std::chrono::milliseconds(frame->size() >> 5)))
        return false;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
    out_.status.pointsSent += count;
    out_.status.rate = rate;
    lastFrameSeconds_ = static_cast<double>(count) / rate;
    out_.status.frame = feed_.Slot();
    if (hooks_.onFrameSent)
        for (const std::uint64_t slot : feed_.TakeStartedSlots())
            hooks_.onFrameSent(slot);
    return true;
}

void HeliosRun::Report(bool force)
{
    const auto now = usb_.Now();
    if (!force && now - lastReport_ < 1s)
        return;
    lastReport_ = now;
    if (hooks_.onStatus)
        hooks_.onStatus(out_.status);
}

// The unit is gone: told, then reopened until it comes back or the show
// is stopped. False: the stream ends.
bool HeliosRun::Recover()
{
    usb_.Close();
    out_.status.connected = false;
    Report(true);
    if (options_.endOnLoss) {
        out_.Ended(StreamEnd::Lost, "the Helios unit was unplugged");
        return false;
    }
    while (!stop_ && !feed_.Ending()) {
        usb_.Idle(kReopenEvery);
        if (Open()) {
            ++out_.status.reconnects;
            pending_.clear();
            later_.clear();
            feed_.Resume(std::chrono::duration<double>(usb_.Now() - showStart_).count() + options_.leadSeconds);
            return true;
        }
    }
    out_.end = stop_ ? StreamEnd::Stopped : StreamEnd::Done;
    return false;
}

// The last frame (the blanked lead-out) is let play, then the output stops.
void HeliosRun::Finish()
{
    Poll poll = Poll::Busy;
    while ((poll = Status()) == Poll::Busy)
        usb_.Idle(kPollPause);
    if (poll == Poll::Lost)
        return;
    usb_.Idle(std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::duration<double>(lastFrameSeconds_)));
    Control(hx::StopRequest());
    Control(hx::ShutterRequest(false));
}

StreamOutcome HeliosRun::Run()
{
    if (auto opened = Open(); !opened)
        return out_.Ended(StreamEnd::Failed,
                          "no Helios unit " + std::to_string(options_.target.unit) + ": " + opened.message());
    // The first frame plays as it is sent, so the show starts a lead-in
    // from now, or at the start it shares with others (on the unit's clock).
    showStart_ = usb_.Now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                                  options_.showStart ? JoinSharedStart(feed_, options_) : options_.leadSeconds));
    bool open = true;
    while (open && !(feed_.Done() && pending_.empty() && later_.empty())) {
        if (stop_ && !feed_.Ending()) {
            feed_.Finish();
            pending_.clear();
            later_.clear();
            out_.end = StreamEnd::Stopped;
        }
        const Poll poll = Status();
        if (poll == Poll::Busy)
            usb_.Idle(kPollPause);
        else if (poll == Poll::Lost || !SendNext())
            open = Recover();
        Report(false);
    }
    if (open)
        Finish();
    usb_.Close();
    out_.status.connected = false;
    return out_;
}

} // namespace

rtl::Result<std::vector<UsbDevice>> FindHelios(UsbTransport &usb)
{
    return usb.List(helios::kVendorId, helios::kProductId);
}

StreamOutcome RunHelios(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                        const StreamHooks &hooks, UsbTransport &usb)
{
    HeliosRun run(options, source, stop, hooks, usb);
    return run.Run();
}

} // namespace dac
