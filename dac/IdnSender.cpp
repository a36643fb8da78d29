// The IDN sender: a channel in frame mode. Each slot's frame goes out as
// one message (fragmented when large) with the time one pass of it takes,
// stamped with when it starts; the configuration rides along with the
// first message and at least every 200 ms; pings tell whether the unit
// still answers. For a unit that holds frames past their timestamps, all
// runs that hold ahead: the show's clock is read at the unit's time.
#include "SenderLoops.h"

#include "dac/Idn.h"
#include "dac/Net.h"

#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace dac {

namespace {

using namespace std::chrono_literals;

constexpr auto kPingEvery = 200ms;
constexpr auto kSilence = 900ms;
constexpr auto kConfigEvery = 150ms;
constexpr auto kKeepaliveEvery = 400ms;
constexpr auto kFirstContactTime = 3s;

class IdnRun {
public:
    IdnRun(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop, const StreamHooks &hooks)
        : options_(options), source_(source), stop_(stop), hooks_(hooks)
    {
        out_.status.rate = options.rate;
    }
    StreamOutcome Run();

private:
    // A channel message: the keepalive counts from the last one.
    void Send(std::span<const std::uint8_t> datagram)
    {
        ::send(socket_.Fd(), datagram.data(), datagram.size(), MSG_NOSIGNAL);
        lastSent_ = Clock::now();
    }
    void Ping()
    {
        pings_[pingCount_++ % pings_.size()] = sequence_;
        const auto header = idn::EncodePacketHeader({idn::kPingRequest, 0, sequence_++});
        ::send(socket_.Fd(), header.data(), header.size(), MSG_NOSIGNAL);
        lastPing_ = Clock::now();
    }
    // A ping response for one of the last pings sent.
    bool Answers(std::span<const std::uint8_t> reply) const;
    void Listen(std::chrono::microseconds wait);
    // What the unit plays at when what is sent now arrives in time.
    Clock::time_point UnitNow() const { return Clock::now() + hold_; }
    // Stamped with when it starts (by default: as it arrives); returns the
    // time one pass of it takes.
    Clock::duration SendFrame(const std::vector<ilda::Point> &frame, std::optional<Clock::time_point> starts = {});
    // The show until it ends (null), or the outcome when nothing more may be sent.
    StreamOutcome *Show();
    // due: when the slot began by the show's clock.
    bool ShowSlot(std::uint64_t slot, Clock::time_point due);
    // Whether the unit answers, told when it changes; true to go on.
    bool Watch(Clock::time_point now);
    // Blanked points at the centre; returns the time they take.
    Clock::duration SendBlank(std::size_t points, std::optional<Clock::time_point> starts = {})
    {
        return SendFrame(std::vector<ilda::Point>(points, BlankCentre()), starts);
    }
    idn::FrameMessage Message(bool config, Clock::time_point stamp);
    void Report(bool force);

    const StreamOptions &options_;
    FrameSource &source_;
    const std::atomic<bool> &stop_;
    const StreamHooks &hooks_;
    // The blanked points at the centre that last the lead-in's time at rate_.
    std::size_t LeadPoints() const
    {
        return std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(rate_ * options_.leadSeconds)));
    }
    double rate_ = options_.rate; // of the frame on show: its duration
    const Clock::duration hold_ =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options_.idnHoldSeconds));
    Socket socket_;
    std::uint16_t sequence_ = 0;
    Clock::time_point start_ = Clock::now(), lastHeard_{}, lastPing_{}, lastSent_{}, lastConfig_{}, lastReport_{};
    Clock::time_point showStart_{}, frameEnds_{}; // by the unit's time
    bool configDue_ = true;
    std::array<std::uint16_t, 8> pings_{}; // the sequence numbers of the last pings
    std::size_t pingCount_ = 0;
    std::uint64_t silentSlots_ = 0; // slots that passed while the unit was silent
    StreamOutcome out_;
};

bool IdnRun::Answers(std::span<const std::uint8_t> reply) const
{
    const auto header = idn::DecodePacketHeader(reply);
    if (!header || header->command != idn::kPingResponse)
        return false;
    const std::size_t sent = std::min(pingCount_, pings_.size());
    return std::find(pings_.begin(), pings_.begin() + static_cast<std::ptrdiff_t>(sent), header->sequence) !=
           pings_.begin() + static_cast<std::ptrdiff_t>(sent);
}

void IdnRun::Listen(std::chrono::microseconds wait)
{
    std::uint8_t buffer[2048];
    while (WaitReadable(socket_.Fd(), wait)) {
        wait = 0us;
        const ssize_t got = ::recv(socket_.Fd(), buffer, sizeof buffer, 0);
        if (got > 0 && Answers({buffer, static_cast<std::size_t>(got)}))
            lastHeard_ = Clock::now();
    }
}

idn::FrameMessage IdnRun::Message(bool config, Clock::time_point stamp)
{
    idn::FrameMessage m;
    m.config = config;
    // Microseconds, wrapping after 71 minutes as the field does.
    m.timestamp =
        static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::microseconds>(stamp - start_).count());
    m.sequence = sequence_;
    return m;
}

Clock::duration IdnRun::SendFrame(const std::vector<ilda::Point> &frame, std::optional<Clock::time_point> starts)
{
    const auto now = Clock::now();
    const bool config = configDue_ || now - lastConfig_ >= kConfigEvery;
    idn::FrameMessage m = Message(config, starts.value_or(now + hold_));
    std::vector<idn::Sample> samples(frame.size());
    std::transform(frame.begin(), frame.end(), samples.begin(), idn::FromIlda);
    if (samples.empty())
        samples.push_back(idn::FromIlda(BlankCentre()));
    m.duration =
        static_cast<std::uint32_t>(std::min(16777215.0, std::round(static_cast<double>(samples.size()) * 1e6 / rate_)));
    const auto datagrams = idn::EncodeFrame(m, samples);
    for (const auto &datagram : datagrams)
        Send(datagram);
    sequence_ = static_cast<std::uint16_t>(sequence_ + datagrams.size());
    out_.status.pointsSent += samples.size();
    if (config) {
        lastConfig_ = now;
        configDue_ = false;
    }
    return std::chrono::microseconds(m.duration);
}

void IdnRun::Report(bool force)
{
    const auto now = Clock::now();
    if (!force && now - lastReport_ < 1s)
        return;
    lastReport_ = now;
    if (hooks_.onStatus)
        hooks_.onStatus(out_.status);
}

bool IdnRun::Watch(Clock::time_point now)
{
    if (now - lastPing_ >= kPingEvery)
        Ping();
    const bool answering = now - lastHeard_ < kSilence;
    if (answering == out_.status.connected)
        return true;
    out_.status.connected = answering;
    Report(true);
    if (!answering && options_.endOnLoss) {
        out_.Ended(StreamEnd::Lost, "the IDN unit stopped answering");
        return false;
    }
    if (answering) {
        // Back: the configuration again, and a blanked lead-in.
        ++out_.status.reconnects;
        configDue_ = true;
        frameEnds_ = now + hold_ + SendBlank(LeadPoints());
    }
    return true;
}

// Slot's frame out, or blanked points while the unit is silent; false at
// the show's end.
bool IdnRun::ShowSlot(std::uint64_t slot, Clock::time_point due)
{
    const std::vector<ilda::Point> *frame = source_.Frame(slot);
    if (!frame) {
        if (out_.status.connected)
            out_.end = StreamEnd::Done;
        else
            out_.Ended(StreamEnd::Lost, "the show ended while the IDN unit was silent");
        return false;
    }
    out_.status.frame = slot;
    if (const double rate = source_.FrameRate(); rate > 0)
        out_.status.rate = rate_ = rate;
    if (out_.status.connected) {
        // Played from its slot's start, or after the frame before: a late
        // wake-up does not push the rest of the show later.
        const auto starts = std::max(due, frameEnds_);
        frameEnds_ = starts + SendFrame(*frame, starts);
        if (hooks_.onFrameSent)
            hooks_.onFrameSent(slot);
    } else {
        ++silentSlots_;
        SendBlank(1);
    }
    return true;
}

// The frames as the show's clock makes them due, until the show ends.
StreamOutcome *IdnRun::Show()
{
    ShowClock clock(options_.fps, options_.timing,
                    [this] { return std::chrono::duration<double>(UnitNow() - showStart_).count(); });
    std::optional<std::uint64_t> lastSlot;
    for (;;) {
        const auto sent = Clock::now();
        const auto now = sent + hold_;
        if (stop_) {
            out_.end = StreamEnd::Stopped;
            return nullptr;
        }
        if (!Watch(sent))
            return &out_;
        // A frame goes once it has played whole and its slot is over.
        if (now >= showStart_ && now >= frameEnds_) {
            const std::uint64_t slot = lastSlot ? clock.Next() : clock.Slot();
            const auto due = showStart_ + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(clock.SlotEnd() - 1 / options_.fps));
            if (slot != lastSlot && !ShowSlot(slot, std::min(due, now)))
                return nullptr;
            lastSlot = slot;
            out_.status.skipped = clock.Skipped() + silentSlots_;
        }
        if (sent - lastSent_ >= kKeepaliveEvery) {
            Send(idn::EncodeVoid(Message(true, now)));
            ++sequence_;
            lastConfig_ = sent;
        }
        Report(false);
        // Until the show's start, else the slot's end or the frame's, whichever is later.
        const double shown = std::chrono::duration<double>(now - showStart_).count();
        const auto untilNext =
            shown < 0 ? -shown
                      : std::max(clock.SlotEnd() - shown, std::chrono::duration<double>(frameEnds_ - now).count());
        Listen(std::chrono::microseconds(std::clamp<long long>(std::llround(untilNext * 1e6), 0, 5000)));
    }
}

StreamOutcome IdnRun::Run()
{
    const auto address = Resolve(options_.target.host, options_.target.port);
    if (!address)
        return out_.Ended(StreamEnd::Failed, "cannot find the host " + options_.target.host);
    socket_ = UdpSocket();
    if (!socket_.Valid() ||
        ::connect(socket_.Fd(), reinterpret_cast<const sockaddr *>(&*address), sizeof *address) != 0)
        return out_.Ended(StreamEnd::Failed, "cannot open a socket to " + options_.target.host);

    // Nothing goes to the channel before the unit answers.
    while (lastHeard_ == Clock::time_point{}) {
        if (stop_)
            return out_.Ended(StreamEnd::Stopped, "");
        if (Clock::now() - start_ > kFirstContactTime)
            return out_.Ended(StreamEnd::Failed, "no answer from the IDN unit at " + AddressText(*address) + " port " +
                                                     std::to_string(options_.target.port));
        Ping();
        Listen(100ms);
    }
    out_.status.connected = true;
    Report(true);
    SendBlank(LeadPoints());
    showStart_ = options_.showStart.value_or(
        UnitNow() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options_.leadSeconds)));
    if (StreamOutcome *ended = Show())
        return *ended;
    // The end blanked after the last frame, then the channel closed once
    // the unit has played what it holds.
    configDue_ = true;
    const auto leadOut = std::max(UnitNow(), frameEnds_);
    const auto ends = leadOut + SendBlank(LeadPoints(), leadOut);
    while (hold_ > Clock::duration::zero() && Clock::now() < ends && !stop_)
        Listen(std::chrono::duration_cast<std::chrono::microseconds>(
            std::min<Clock::duration>(ends - Clock::now(), std::chrono::milliseconds(5))));
    idn::FrameMessage close = Message(true, UnitNow());
    close.close = true;
    Send(idn::EncodeVoid(close, idn::kChannelClose));
    ++sequence_;
    out_.status.connected = false;
    return out_;
}

} // namespace

StreamOutcome RunIdn(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                     const StreamHooks &hooks)
{
    IdnRun run(options, source, stop, hooks);
    return run.Run();
}

} // namespace dac
