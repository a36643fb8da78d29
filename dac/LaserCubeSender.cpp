// The LaserCube sender: commands to its command port, points to the data
// port after it, in datagrams of at most 140. The unit answers each data
// datagram with its free room; the sender keeps the buffer near its target
// from those answers and the time since. Asking for the unit's full info
// every 200 ms tells whether it still answers and whether its output is on.
#include "SenderLoops.h"

#include "dac/LaserCube.h"
#include "dac/Net.h"

#include <sys/socket.h>

#include <algorithm>
#include <cmath>
#include <deque>

namespace dac {

namespace {

using namespace std::chrono_literals;
namespace lc = lasercube;

constexpr auto kAskEvery = 200ms;
constexpr auto kSilence = 1s;
constexpr auto kFirstContactTime = 3s;
// An info asked for this soon after the output was switched on may predate it.
constexpr auto kSettle = 300ms;
constexpr auto kSetupWait = 500ms;
constexpr auto kReplyLost = 250ms;
// Over Wi-Fi a few tens of milliseconds are not enough: at least this much
// is kept in the unit's buffer.
constexpr double kLeastBufferSeconds = 0.1;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

class LaserCubeRun {
public:
    LaserCubeRun(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                 const StreamHooks &hooks)
        : options_(options), source_(source), stop_(stop), hooks_(hooks),
          feed_(source, options.rate, options.fps, options.leadSeconds), rate_(options.rate)
    {
        out_.status.rate = options.rate;
    }
    StreamOutcome Run();

private:
    bool Open();
    std::optional<lc::Info> FirstContact();
    bool Accept(const lc::Info &info);
    void SendTo(const sockaddr_in &to, std::span<const std::uint8_t> bytes)
    {
        ::sendto(socket_.Fd(), bytes.data(), bytes.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr *>(&to),
                 sizeof to);
    }
    void Command(const std::vector<std::uint8_t> &bytes) { SendTo(command_, bytes); }
    void Ask();
    void Setup();
    void Listen(std::chrono::milliseconds wait);
    void Heard(std::span<const std::uint8_t> reply);
    double Buffered() const;
    void Answered(Clock::time_point now);
    void Fill();
    void SendPoints(const std::vector<ilda::Point> &points);
    bool Watch();
    bool ShowOverWhileLost();
    void Drain();
    void Shutdown();
    void Report(bool force);

    const StreamOptions &options_;
    FrameSource &source_;
    const std::atomic<bool> &stop_;
    const StreamHooks &hooks_;
    PointFeed feed_;
    double rate_;
    Socket socket_;
    sockaddr_in command_{}, data_{};
    std::uint32_t capacity_ = 0;
    std::uint16_t free_ = 0;
    Clock::time_point freeAt_{}, lastHeard_{}, lastAsk_{}, lastReport_{}, setupAt_{};
    Clock::time_point showStart_ = Clock::now();
    // Data packets not yet answered, oldest first: a reply tells the room
    // after the oldest, the rest are still on their way.
    std::deque<std::pair<Clock::time_point, std::size_t>> unanswered_;
    std::uint64_t sentSinceFree_ = 0; // their points
    std::uint8_t message_ = 0, frame_ = 0;
    bool outputOff_ = false;
    bool settled_ = false; // the set-up commands were taken
    bool empty_ = false;   // the last info said the buffer is empty
    StreamOutcome out_;
};

bool LaserCubeRun::Open()
{
    const auto command = Resolve(options_.target.host, options_.target.port);
    const auto data = Resolve(options_.target.host, static_cast<std::uint16_t>(options_.target.port + 1));
    if (!command || !data || options_.target.port == 65535)
        return false;
    command_ = *command;
    data_ = *data;
    socket_ = UdpSocket();
    return socket_.Valid();
}

void LaserCubeRun::Ask()
{
    Command(lc::EncodeCommand(lc::kGetFullInfo));
    lastAsk_ = Clock::now();
}

std::optional<lc::Info> LaserCubeRun::FirstContact()
{
    const auto start = Clock::now();
    std::uint8_t buffer[2048];
    while (!stop_ && Clock::now() - start < kFirstContactTime) {
        Ask();
        const auto until = Clock::now() + 100ms;
        while (
            WaitReadable(socket_.Fd(), std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()))) {
            const ssize_t got = ::recv(socket_.Fd(), buffer, sizeof buffer, 0);
            if (const auto info = lc::DecodeInfo({buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0))}))
                return info;
            if (Clock::now() >= until)
                break;
        }
    }
    return std::nullopt;
}

// A unit whose info cannot be true is not streamed to.
bool LaserCubeRun::Accept(const lc::Info &info)
{
    if (info.bufferSize == 0 || info.bufferFree > info.bufferSize) {
        out_.Ended(StreamEnd::Failed, "the LaserCube reports a buffer of " + std::to_string(info.bufferSize) +
                                          " points with " + std::to_string(info.bufferFree) + " free");
        return false;
    }
    if (info.maxRate > 0 && options_.rate > info.maxRate) {
        out_.Ended(StreamEnd::Failed, "the rate " + std::to_string(static_cast<long long>(options_.rate)) +
                                          " is above the LaserCube's maximum of " + std::to_string(info.maxRate) +
                                          " points a second");
        return false;
    }
    capacity_ = info.bufferSize;
    out_.status.capacity = capacity_;
    return true;
}

// Commands are sent twice: a datagram may be lost, and each is harmless
// again. Data and commands reach the unit on different ports, so no point
// goes before an info asked after the commands says they were taken: a
// late clear would throw the first points away.
void LaserCubeRun::Setup()
{
    const std::vector<std::vector<std::uint8_t>> commands = {
        lc::EncodeSwitch(lc::kEnableBufferSizeResponse, true), lc::EncodeCommand(lc::kClearRingBuffer),
        lc::EncodeSetRate(static_cast<std::uint32_t>(std::lround(rate_))), lc::EncodeSwitch(lc::kSetOutput, true)};
    for (int twice = 0; twice < 2; ++twice)
        for (const auto &command : commands)
            Command(command);
    settled_ = false;
    const auto until = Clock::now() + kSetupWait;
    Ask();
    while (!settled_ && !stop_ && Clock::now() < until) {
        Listen(10ms);
        if (Clock::now() - lastAsk_ >= 100ms)
            Ask();
    }
    free_ = static_cast<std::uint16_t>(capacity_);
    freeAt_ = setupAt_ = Clock::now();
    unanswered_.clear();
    sentSinceFree_ = 0;
}

void LaserCubeRun::Listen(std::chrono::milliseconds wait)
{
    std::uint8_t buffer[2048];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    while (WaitReadable(socket_.Fd(), wait)) {
        wait = 0ms;
        const ssize_t got =
            ::recvfrom(socket_.Fd(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &length);
        if (got > 0 && from.sin_addr.s_addr == command_.sin_addr.s_addr)
            Heard({buffer, static_cast<std::size_t>(got)});
        length = sizeof from;
    }
}

void LaserCubeRun::Heard(std::span<const std::uint8_t> reply)
{
    const auto now = Clock::now();
    lastHeard_ = now;
    if (const auto free = lc::DecodeBufferFree(reply); free && *free <= capacity_) {
        free_ = *free;
        freeAt_ = now;
        Answered(now);
    } else if (const auto info = lc::DecodeInfo(reply)) {
        empty_ = info->bufferFree >= info->bufferSize;
        settled_ = settled_ || (info->outputEnabled && empty_);
        // The unit switched its output off by itself: its interlock or button.
        if (!info->outputEnabled && now - setupAt_ > kSettle && out_.status.connected)
            outputOff_ = true;
    }
}

// The oldest packet was answered; one unanswered this long never will be.
void LaserCubeRun::Answered(Clock::time_point now)
{
    if (!unanswered_.empty()) {
        sentSinceFree_ -= unanswered_.front().second;
        unanswered_.pop_front();
    }
    while (!unanswered_.empty() && now - unanswered_.front().first > kReplyLost) {
        sentSinceFree_ -= unanswered_.front().second;
        unanswered_.pop_front();
    }
}

// Points in the unit's buffer: the last report, less what has played
// since, and what is still on its way.
double LaserCubeRun::Buffered() const
{
    const double reported = static_cast<double>(capacity_ - free_) - rate_ * Seconds(Clock::now() - freeAt_);
    return std::max(0.0, reported) + static_cast<double>(sentSinceFree_);
}

void LaserCubeRun::Fill()
{
    const double target = std::max(1.0, std::min(static_cast<double>(capacity_) * 0.75,
                                                 rate_ * std::max(options_.bufferSeconds, kLeastBufferSeconds)));
    // Whole packets, but a small buffer still gets what fits.
    const double least = std::min(static_cast<double>(lc::kMostSamplesPerPacket), std::ceil(target / 2));
    std::vector<ilda::Point> points;
    while (!feed_.Done() && target - Buffered() >= least) {
        points.clear();
        feed_.Take(std::min(lc::kMostSamplesPerPacket, static_cast<std::size_t>(target - Buffered())), points);
        if (feed_.Rate() != rate_) {
            rate_ = out_.status.rate = feed_.Rate();
            Command(lc::EncodeSetRate(static_cast<std::uint32_t>(std::lround(rate_))));
        }
        const auto started = feed_.TakeStartedSlots();
        if (!started.empty())
            ++frame_;
        SendPoints(points);
        for (const std::uint64_t slot : started)
            if (hooks_.onFrameSent)
                hooks_.onFrameSent(slot);
    }
}

void LaserCubeRun::SendPoints(const std::vector<ilda::Point> &points)
{
    if (points.empty())
        return;
    std::vector<lc::Sample> samples(points.size());
    std::transform(points.begin(), points.end(), samples.begin(), lc::FromIlda);
    SendTo(data_, lc::EncodeData({message_++, frame_}, samples));
    unanswered_.emplace_back(Clock::now(), samples.size());
    sentSinceFree_ += samples.size();
    out_.status.pointsSent += samples.size();
    out_.status.frame = feed_.Slot();
}

// Notices the unit falling silent and coming back; false when the stream
// is to end here.
bool LaserCubeRun::Watch()
{
    const auto now = Clock::now();
    if (now - lastAsk_ >= kAskEvery)
        Ask();
    if (outputOff_) {
        out_.Ended(StreamEnd::EmergencyStop, "the LaserCube switched its output off");
        return false;
    }
    const bool answering = now - lastHeard_ < kSilence;
    if (answering == out_.status.connected)
        return true;
    out_.status.connected = answering;
    Report(true);
    if (!answering && options_.endOnLoss) {
        out_.Ended(StreamEnd::Lost, "the LaserCube stopped answering");
        return false;
    }
    if (answering) {
        // Back: its buffer emptied, set up again, a blanked lead-in, and the
        // show where its clock has got to.
        ++out_.status.reconnects;
        Setup();
        feed_.Resume(Seconds(now - showStart_) + options_.leadSeconds);
    }
    return true;
}

// The show keeps its time while the unit is silent, so it can end then.
bool LaserCubeRun::ShowOverWhileLost()
{
    const double seconds = Seconds(Clock::now() - showStart_);
    return seconds > 0 && !source_.Frame(static_cast<std::uint64_t>(seconds * options_.fps));
}

// The last points play out before the output goes off: until the unit
// says its buffer is empty (no data is on the way by then).
void LaserCubeRun::Drain()
{
    const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                                          2.0 * static_cast<double>(capacity_) / rate_ + 0.2));
    empty_ = false;
    while (out_.status.connected && !empty_ && Clock::now() < until) {
        if (Clock::now() - lastAsk_ >= (Buffered() >= 1 ? kAskEvery : 10ms))
            Ask();
        Listen(5ms);
    }
}

void LaserCubeRun::Shutdown()
{
    for (int twice = 0; twice < 2; ++twice) {
        Command(lc::EncodeSwitch(lc::kSetOutput, false));
        Command(lc::EncodeSwitch(lc::kEnableBufferSizeResponse, false));
    }
    out_.status.connected = false;
}

void LaserCubeRun::Report(bool force)
{
    const auto now = Clock::now();
    if (!force && now - lastReport_ < 1s)
        return;
    lastReport_ = now;
    out_.status.buffered = static_cast<std::uint32_t>(std::lround(Buffered()));
    if (hooks_.onStatus)
        hooks_.onStatus(out_.status);
}

StreamOutcome LaserCubeRun::Run()
{
    if (!Open())
        return out_.Ended(StreamEnd::Failed, "cannot open a socket to the LaserCube at " + options_.target.host);
    const auto info = FirstContact();
    if (stop_)
        return out_.Ended(StreamEnd::Stopped, "");
    if (!info)
        return out_.Ended(StreamEnd::Failed, "no answer from the LaserCube at " + AddressText(command_) + " port " +
                                                 std::to_string(options_.target.port));
    if (!Accept(*info))
        return out_;
    lastHeard_ = Clock::now();
    out_.status.connected = true;
    Setup();
    Report(true);
    // Its first points play as they arrive, so the show starts a lead-in
    // from now, or at the start it shares with others.
    showStart_ = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                                    options_.showStart ? JoinSharedStart(feed_, options_) : options_.leadSeconds));
    while (!feed_.Done()) {
        if (stop_ && !feed_.Ending()) {
            feed_.Finish();
            out_.end = StreamEnd::Stopped;
        }
        if (stop_ && !out_.status.connected)
            break; // nothing can play out
        if (!Watch()) {
            Shutdown();
            return out_;
        }
        if (out_.status.connected)
            Fill();
        else if (ShowOverWhileLost())
            return out_.Ended(StreamEnd::Lost,
                              "the LaserCube stopped answering and the show ended before it answered again");
        Report(false);
        Listen(1ms);
    }
    Drain();
    Shutdown();
    return out_;
}

} // namespace

StreamOutcome RunLaserCube(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                           const StreamHooks &hooks)
{
    LaserCubeRun run(options, source, stop, hooks);
    return run.Run();
}

} // namespace dac
