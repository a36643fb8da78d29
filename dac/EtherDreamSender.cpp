// The Ether Dream sender: connect, read the first status, prepare, send
// data, begin at the rate, then keep the DAC's buffer near its target. Each
// command waits for its answer; a second without one is a lost connection.
#include "SenderLoops.h"

#include "dac/EtherDream.h"
#include "dac/Net.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>

namespace dac {

namespace {

namespace ed = etherdream;
using namespace std::chrono_literals;

constexpr auto kAnswerTime = 1s;
constexpr auto kFirstContactTime = 3s;
constexpr std::size_t kMostPointsPerCommand = 1000;

class EtherDreamRun {
public:
    EtherDreamRun(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                  const StreamHooks &hooks)
        : options_(options), stop_(stop), hooks_(hooks), feed_(source, options.rate, options.fps, options.leadSeconds),
          rate_(static_cast<std::uint32_t>(std::lround(options.rate))), beginRate_(rate_)
    {
        Aim();
        out_.status.capacity = options.capacity.value_or(0);
    }

    StreamOutcome Run();

private:
    enum class Step { Go, Lost, End };
    // The buffer's target and the least worth a data command, at rate_.
    void Aim();
    Step Connect();
    Step Pump();
    Step Finish();
    // Sends a command and waits for its answer: nothing when the link is gone.
    std::optional<ed::Response> Command(std::span<const std::uint8_t> bytes);
    Step Check(const std::optional<ed::Response> &response, const char *what);
    std::size_t Estimated(Clock::time_point now) const;
    void Report(bool force);
    Step End(StreamEnd end, std::string message)
    {
        out_.end = end;
        out_.message = std::move(message);
        return Step::End;
    }

    const StreamOptions &options_;
    const std::atomic<bool> &stop_;
    const StreamHooks &hooks_;
    PointFeed feed_;
    std::uint32_t rate_;      // of the last points sent
    std::uint32_t beginRate_; // of the first points after the last prepare
    std::size_t target_ = 0, chunk_ = 1, endThreshold_ = 1;
    std::size_t room_ = 0; // what a full buffer held, once the DAC said so
    sockaddr_in address_{};
    Socket socket_;
    ed::Status last_;
    Clock::time_point lastAt_, lastCommand_, lastReport_, showStart_, runStart_ = Clock::now();
    bool everConnected_ = false, began_ = false;
    std::vector<ilda::Point> carry_; // points the DAC had no room for yet
    // carry_'s first point starts this rate; queued (the 'q' answered) or not.
    std::optional<std::uint32_t> carryRate_;
    bool rateQueued_ = false;
    StreamOutcome out_;
};

std::optional<ed::Response> EtherDreamRun::Command(std::span<const std::uint8_t> bytes)
{
    if (!SendAll(socket_.Fd(), bytes))
        return std::nullopt;
    lastCommand_ = Clock::now();
    std::uint8_t answer[ed::kResponseSize];
    if (!ReceiveExact(socket_.Fd(), answer, lastCommand_ + kAnswerTime))
        return std::nullopt;
    auto response = ed::DecodeResponse(answer);
    if (response) {
        last_ = response->status;
        lastAt_ = Clock::now();
    }
    return response;
}

EtherDreamRun::Step EtherDreamRun::Check(const std::optional<ed::Response> &response, const char *what)
{
    if (!response)
        return Step::Lost;
    if (response->response == ed::kNakStop || last_.lightEngine == ed::LightEngine::EmergencyStop)
        return End(StreamEnd::EmergencyStop, "the DAC reports an emergency stop");
    if (response->response == ed::kNakInvalid)
        return End(StreamEnd::Failed, std::string("the DAC refused the ") + what + " command as invalid");
    return Step::Go;
}

void EtherDreamRun::Aim()
{
    target_ = static_cast<std::size_t>(std::ceil(rate_ * options_.bufferSeconds));
    chunk_ = std::max<std::size_t>(1, rate_ / 500); // 2 ms
    if (options_.capacity) {
        // Never above what it holds, even when that is less than 2 ms.
        const std::size_t capacity = std::max<std::size_t>(2, *options_.capacity);
        chunk_ = std::min(chunk_, capacity / 2);
        target_ = std::min(target_, capacity - chunk_);
    }
    if (room_)
        target_ = std::min(target_, room_);
    target_ = std::max<std::size_t>(1, target_);
    chunk_ = std::min(chunk_, target_);
    endThreshold_ = std::max<std::size_t>(1, static_cast<std::size_t>(rate_ * options_.leadSeconds * 0.8));
    out_.status.rate = rate_;
}

std::size_t EtherDreamRun::Estimated(Clock::time_point now) const
{
    double fullness = last_.bufferFullness;
    if (last_.playback == ed::Playback::Playing)
        fullness -= last_.pointRate * std::chrono::duration<double>(now - lastAt_).count();
    return static_cast<std::size_t>(std::max(0.0, fullness));
}

void EtherDreamRun::Report(bool force)
{
    const auto now = Clock::now();
    if (!force && now - lastReport_ < 1s)
        return;
    lastReport_ = now;
    out_.status.frame = feed_.Slot();
    out_.status.buffered = socket_.Valid() ? static_cast<std::uint32_t>(Estimated(now)) : 0;
    if (hooks_.onStatus)
        hooks_.onStatus(out_.status);
}

EtherDreamRun::Step EtherDreamRun::Connect()
{
    const auto firstTry = Clock::now();
    while (!socket_.Valid()) {
        if (stop_)
            return End(StreamEnd::Stopped, "");
        socket_ = TcpConnect(address_, 500ms);
        if (socket_.Valid())
            break;
        if (!everConnected_ && Clock::now() - firstTry > kFirstContactTime)
            return End(StreamEnd::Failed, "no answer from the Ether Dream at " + AddressText(address_) + " port " +
                                              std::to_string(ntohs(address_.sin_port)));
        std::this_thread::sleep_for(250ms);
    }
    // The DAC speaks first: a status as if answering a ping.
    std::uint8_t first[ed::kResponseSize];
    if (!ReceiveExact(socket_.Fd(), first, Clock::now() + kAnswerTime))
        return Step::Lost;
    const auto response = ed::DecodeResponse(first);
    last_ = response->status;
    lastAt_ = Clock::now();
    if (last_.lightEngine == ed::LightEngine::EmergencyStop) {
        if (!options_.clearEstop)
            return End(StreamEnd::EmergencyStop, "the DAC reports an emergency stop");
        const std::uint8_t clear[] = {ed::kClearEmergencyStop};
        if (const Step s = Check(Command(clear), "clear emergency stop"); s != Step::Go)
            return s;
    }
    if (last_.playback != ed::Playback::Idle) {
        const std::uint8_t stopCommand[] = {ed::kStop};
        if (const Step s = Check(Command(stopCommand), "stop"); s != Step::Go)
            return s;
    }
    const std::uint8_t prepare[] = {ed::kPrepare};
    if (const Step s = Check(Command(prepare), "prepare"); s != Step::Go)
        return s;
    began_ = false;
    carry_.clear();
    carryRate_.reset();
    rateQueued_ = false;
    if (everConnected_) {
        ++out_.status.reconnects;
        feed_.Resume(std::chrono::duration<double>(Clock::now() - showStart_).count());
        rate_ = static_cast<std::uint32_t>(std::lround(feed_.Rate()));
        Aim();
    } else {
        showStart_ = Clock::now();
        everConnected_ = true;
    }
    beginRate_ = rate_;
    out_.status.connected = true;
    Report(true);
    return Step::Go;
}

EtherDreamRun::Step EtherDreamRun::Pump()
{
    const auto now = Clock::now();
    const std::size_t estimated = Estimated(now);
    const std::size_t want = target_ > estimated ? target_ - estimated : 0;
    if (want < chunk_ || (feed_.Done() && carry_.empty())) {
        if (!began_ && last_.playback == ed::Playback::Prepared && last_.bufferFullness > 0) {
            // As full as it gets: play.
            if (const Step s = Check(Command(ed::BeginCommand(0, beginRate_)), "begin"); s != Step::Go)
                return s;
            began_ = true;
            return Step::Go;
        }
        if (now - lastCommand_ > 100ms) {
            const std::uint8_t ping[] = {ed::kPing};
            return Check(Command(ping), "ping");
        }
        std::this_thread::sleep_for(1ms);
        return Step::Go;
    }
    if (carry_.empty()) {
        const double before = feed_.Rate();
        feed_.Take(std::min(want, kMostPointsPerCommand), carry_);
        if (feed_.Rate() != before && !carry_.empty()) {
            // Frames for another rate: queued with their first point, the stream goes on.
            const long rate = std::lround(feed_.Rate());
            if (rate < 1 || (options_.maxRate && rate > static_cast<long>(*options_.maxRate)))
                return End(StreamEnd::Failed, "the rate " + std::to_string(rate) + " is above the DAC's maximum of " +
                                                  std::to_string(options_.maxRate.value_or(0)) + " points a second");
            carryRate_ = static_cast<std::uint32_t>(rate);
            rateQueued_ = false;
        }
    }
    if (carry_.empty())
        return Step::Go;
    const std::size_t count = std::min(carry_.size(), want);
    std::vector<ed::Point> wire(count);
    std::transform(carry_.begin(), carry_.begin() + static_cast<std::ptrdiff_t>(count), wire.begin(), ed::FromIlda);
    if (carryRate_) {
        if (!rateQueued_) {
            if (const Step s = Check(Command(ed::QueueRateCommand(*carryRate_)), "queue rate"); s != Step::Go)
                return s;
            rateQueued_ = true;
        }
        wire.front().control |= ed::kControlRateChange;
    }
    const auto response = Command(ed::DataCommand(wire));
    if (response && response->response == ed::kNakFull) {
        // Smaller than we thought: aim below what it holds now.
        if (last_.bufferFullness == 0 && count == 1)
            return End(StreamEnd::Failed, "the DAC's buffer takes no points");
        const std::size_t room = last_.bufferFullness > 0 ? last_.bufferFullness : count / 2;
        room_ = std::max<std::size_t>(1, std::min(target_, room));
        Aim();
        std::this_thread::sleep_for(2ms);
        return Step::Go;
    }
    if (response && response->response == ed::kNakInvalid && began_ && last_.playback == ed::Playback::Idle)
        return Step::Go; // it ran dry meanwhile: prepared again below, the points kept
    if (const Step s = Check(response, "data"); s != Step::Go)
        return s;
    carry_.erase(carry_.begin(), carry_.begin() + static_cast<std::ptrdiff_t>(count));
    out_.status.pointsSent += count;
    if (carryRate_) {
        rate_ = *std::exchange(carryRate_, std::nullopt);
        rateQueued_ = false;
        Aim();
    }
    for (const std::uint64_t slot : feed_.TakeStartedSlots())
        if (hooks_.onFrameSent)
            hooks_.onFrameSent(slot);
    if (!began_ && (last_.bufferFullness >= target_ || feed_.Ending())) {
        if (const Step s = Check(Command(ed::BeginCommand(0, beginRate_)), "begin"); s != Step::Go)
            return s;
        began_ = true;
    }
    return Step::Go;
}

EtherDreamRun::Step EtherDreamRun::Finish()
{
    // The DAC is stopped once a fifth of the lead-out has played (2 ms of
    // the 10): the beam ends blanked, and a late wake-up on a busy machine
    // still finds blanked points in the buffer instead of running it dry.
    const auto deadline =
        Clock::now() + kAnswerTime +
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options_.bufferSeconds * 2));
    while (began_ && Estimated(Clock::now()) > endThreshold_ && Clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    const std::uint8_t stopCommand[] = {ed::kStop};
    Command(stopCommand);
    return Step::End;
}

StreamOutcome EtherDreamRun::Run()
{
    const auto address = Resolve(options_.target.host, options_.target.port);
    if (!address) {
        End(StreamEnd::Failed, "cannot find the host " + options_.target.host);
        return out_;
    }
    address_ = *address;
    for (;;) {
        if (stop_ && !feed_.Ending())
            feed_.Finish();
        Step step = Step::Go;
        if (!socket_.Valid())
            step = Connect();
        if (step == Step::Go && feed_.Done() && carry_.empty()) {
            Finish();
            out_.end = stop_ ? StreamEnd::Stopped : StreamEnd::Done;
            break;
        }
        if (step == Step::Go)
            step = Pump();
        if (step == Step::Go && began_ && last_.playback != ed::Playback::Playing) {
            // The buffer ran dry: the DAC went idle and wants preparing again.
            ++out_.status.underflows;
            began_ = false;
            beginRate_ = rate_;
            rateQueued_ = false; // a prepare forgets the queued rates
            if (last_.playback == ed::Playback::Idle) {
                const std::uint8_t prepare[] = {ed::kPrepare};
                step = Check(Command(prepare), "prepare");
            }
        }
        if (step == Step::End)
            break;
        if (step == Step::Lost) {
            socket_.Close();
            out_.status.connected = false;
            Report(true);
            if (!everConnected_ && Clock::now() - runStart_ > kFirstContactTime) {
                End(StreamEnd::Failed, "the DAC at " + AddressText(address_) + " does not answer");
                break;
            }
            if (options_.endOnLoss) {
                End(StreamEnd::Lost, "lost the connection to the DAC");
                break;
            }
            // Only the lead-out was left, and a DAC stops when its connection
            // does: nothing is left to resume.
            if (feed_.Ending()) {
                out_.end = stop_ ? StreamEnd::Stopped : StreamEnd::Done;
                break;
            }
            continue;
        }
        Report(false);
    }
    socket_.Close();
    out_.status.connected = false;
    out_.status.frame = feed_.Slot();
    return out_;
}

} // namespace

StreamOutcome RunEtherDream(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                            const StreamHooks &hooks)
{
    EtherDreamRun run(options, source, stop, hooks);
    return run.Run();
}

} // namespace dac
