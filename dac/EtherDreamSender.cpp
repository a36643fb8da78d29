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
// A buffer smaller than this is a broadcast not to be believed.
constexpr std::uint32_t kLeastCapacity = 64;
// How long the DAC's buffer may disagree with what it was sent and played.
constexpr auto kDisagreement = 1s;
constexpr auto kFirstRetry = 250ms, kLastRetry = 500ms;

class EtherDreamRun {
public:
    EtherDreamRun(const StreamOptions &options, FrameSource &source, const std::atomic<bool> &stop,
                  const StreamHooks &hooks)
        : options_(options), stop_(stop), hooks_(hooks),
          feed_(source, options.rate, options.fps, options.leadSeconds, options.timing),
          rate_(static_cast<std::uint32_t>(std::lround(options.rate))), beginRate_(rate_)
    {
        if (options.capacity && *options.capacity >= kLeastCapacity)
            capacity_ = options.capacity;
        Aim();
        out_.status.capacity = capacity_.value_or(0);
    }

    StreamOutcome Run();

private:
    enum class Step { Go, Lost, End };
    // The buffer's target and the least worth a data command, at rate_.
    void Aim();
    Step Connect();
    Step Prepare();
    Step Connected();
    Step Pump();
    Step Idle(Clock::time_point now);
    Step Begin();
    Step Send(std::size_t count);
    void Sent(std::size_t count);
    Step Finish();
    Step Lost();
    // Sends a command and waits for its answer: nothing when the link is gone.
    std::optional<ed::Response> Command(std::span<const std::uint8_t> bytes);
    Step Check(const std::optional<ed::Response> &response, const char *what);
    // Why the DAC's answer cannot be true, if it cannot.
    std::optional<std::string> Implausible(const ed::Status &status) const;
    // The buffer by our own count: what was sent less what its rate played.
    double Model(Clock::time_point now) const;
    // Follows the DAC's buffer, after the command just answered, while it
    // agrees with our count.
    void Compare();
    std::size_t Estimated(Clock::time_point now) const;
    bool WaitToConnect();
    // The show's clock starts now, or at the shared start after a lead-in.
    void StartShow();
    // After a gap (a lost link, a dry buffer): no stale points, and the show
    // comes back where its clock is once the lead-in has played, so that it
    // keeps its time and its step with other senders.
    void Rejoin();
    double ShowSeconds() const { return std::chrono::duration<double>(Clock::now() - showStart_).count(); }
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
    std::optional<std::uint32_t> capacity_;
    std::string distrust_;                          // why the DAC's answers cannot be believed
    std::uint64_t sincePrepare_ = 0, inFlight_ = 0; // points sent since the prepare; in the command out
    bool prepared_ = false;
    double model_ = 0;
    double modelDoubt_ = 0; // points: the DAC's figure it follows was taken somewhere in a round trip
    Clock::time_point modelAt_{}, disagreeSince_{}, nextAttempt_{};
    unsigned failures_ = 0; // connections in a row that carried no point
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
    if (response && response->command != bytes[0]) {
        distrust_ = "the DAC answered a command it was not sent ('" + std::string(1, char(response->command)) +
                    "' for '" + std::string(1, char(bytes[0])) + "'); it cannot be trusted";
        return std::nullopt;
    }
    if (response) {
        last_ = response->status;
        lastAt_ = Clock::now();
        if (auto lie = Implausible(last_)) {
            distrust_ = *lie;
            return std::nullopt;
        }
    }
    return response;
}

std::optional<std::string> EtherDreamRun::Implausible(const ed::Status &s) const
{
    const std::uint64_t sent = sincePrepare_ + inFlight_;
    if (prepared_ && s.bufferFullness > sent)
        return "the DAC reports " + std::to_string(s.bufferFullness) + " points in its buffer but was sent " +
               std::to_string(sent) + "; it cannot be trusted";
    if (capacity_ && s.bufferFullness > *capacity_)
        return "the DAC reports " + std::to_string(s.bufferFullness) + " points in a buffer it said holds " +
               std::to_string(*capacity_) + "; it cannot be trusted";
    const bool asked = s.pointRate == beginRate_ || s.pointRate == rate_ || (carryRate_ && s.pointRate == *carryRate_);
    if (began_ && s.playback == ed::Playback::Playing && !asked)
        return "the DAC reports playing at " + std::to_string(s.pointRate) + " points a second, not the " +
               std::to_string(rate_) + " it was asked for; it cannot be trusted";
    return std::nullopt;
}

double EtherDreamRun::Model(Clock::time_point now) const
{
    if (!began_ || last_.playback != ed::Playback::Playing)
        return model_;
    return std::max(0.0, model_ - rate_ * std::chrono::duration<double>(now - modelAt_).count());
}

void EtherDreamRun::Compare()
{
    // The DAC took its figure somewhere between the command and the answer
    // read: taken as halfway, and a long round trip (a stall on either
    // side) leaves that much doubt in the count that follows it.
    const auto roundTrip = lastAt_ - lastCommand_;
    const auto answered = lastCommand_ + roundTrip / 2;
    const double seconds = std::chrono::duration<double>(roundTrip).count();
    const double expected = Model(answered);
    const double slack = 2.0 * static_cast<double>(chunk_) + rate_ * (0.020 + seconds) + modelDoubt_;
    const double difference = last_.bufferFullness - expected;
    if (std::abs(difference) <= slack || !prepared_) {
        model_ = last_.bufferFullness; // the DAC's clock is the one that plays
        modelAt_ = answered;
        modelDoubt_ = rate_ * seconds / 2;
        disagreeSince_ = {};
        return;
    }
    const auto now = lastAt_;
    if (disagreeSince_ == Clock::time_point{})
        disagreeSince_ = now;
    else if (now - disagreeSince_ > kDisagreement)
        distrust_ = "the DAC reports " + std::to_string(last_.bufferFullness) + " points in its buffer where " +
                    std::to_string(std::lround(expected)) + " are left to play" +
                    (difference > 0 ? " (it does not play them)" : "") + "; it cannot be trusted";
}

EtherDreamRun::Step EtherDreamRun::Check(const std::optional<ed::Response> &response, const char *what)
{
    if (!distrust_.empty())
        return End(StreamEnd::Failed, distrust_);
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
    if (capacity_) {
        // Never above what it holds, even when that is less than 2 ms.
        const std::size_t capacity = *capacity_;
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
    // At the rate it was asked for (checked against what it reports), and
    // never below our own count: a DAC claiming an empty buffer gets no more.
    double fullness = last_.bufferFullness;
    if (last_.playback == ed::Playback::Playing)
        fullness -= rate_ * std::chrono::duration<double>(now - lastAt_).count();
    return static_cast<std::size_t>(std::max({0.0, fullness, Model(now)}));
}

void EtherDreamRun::Report(bool force)
{
    const auto now = Clock::now();
    if (!force && now - lastReport_ < 1s)
        return;
    lastReport_ = now;
    out_.status.frame = feed_.Slot();
    out_.status.skipped = feed_.Skipped();
    out_.status.buffered = socket_.Valid() ? static_cast<std::uint32_t>(Estimated(now)) : 0;
    if (hooks_.onStatus)
        hooks_.onStatus(out_.status);
}

// Waits for the next attempt: a DAC that hangs up at once is tried a few
// times a second at most. False when the show ended meanwhile.
bool EtherDreamRun::WaitToConnect()
{
    while (Clock::now() < nextAttempt_) {
        if (stop_ || (everConnected_ && feed_.OverAt(ShowSeconds())))
            return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(20ms, nextAttempt_ - Clock::now()));
    }
    nextAttempt_ = Clock::now() + std::min<Clock::duration>(kLastRetry, kFirstRetry * (1u << std::min(failures_, 2u)));
    ++failures_;
    return true;
}

EtherDreamRun::Step EtherDreamRun::Connect()
{
    const auto firstTry = Clock::now();
    while (!socket_.Valid()) {
        if (!WaitToConnect() || stop_) {
            if (stop_)
                return End(StreamEnd::Stopped, "");
            return End(StreamEnd::Lost, "the show ended while the DAC was lost");
        }
        socket_ = TcpConnect(address_, 500ms);
        if (socket_.Valid())
            break;
        if (!everConnected_ && Clock::now() - firstTry > kFirstContactTime)
            return End(StreamEnd::Failed, "no answer from the Ether Dream at " + AddressText(address_) + " port " +
                                              std::to_string(ntohs(address_.sin_port)));
    }
    // The DAC speaks first: a status as if answering a ping.
    std::uint8_t first[ed::kResponseSize];
    if (!ReceiveExact(socket_.Fd(), first, Clock::now() + kAnswerTime))
        return Step::Lost;
    last_ = ed::DecodeResponse(first)->status;
    lastAt_ = Clock::now();
    prepared_ = began_ = false;
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
    if (const Step s = Prepare(); s != Step::Go)
        return s;
    return Connected();
}

EtherDreamRun::Step EtherDreamRun::Prepare()
{
    const std::uint8_t prepare[] = {ed::kPrepare};
    sincePrepare_ = inFlight_ = 0;
    prepared_ = true;
    model_ = modelDoubt_ = 0;
    disagreeSince_ = {};
    return Check(Command(prepare), "prepare");
}

// Ready to send: the show goes on from the clock's time after a loss.
EtherDreamRun::Step EtherDreamRun::Connected()
{
    began_ = false;
    rateQueued_ = false;
    if (everConnected_) {
        ++out_.status.reconnects;
        Rejoin();
    } else {
        StartShow();
    }
    beginRate_ = rate_;
    if (options_.askRate) {
        // Queued now, taken by the first point: refused if above its maximum.
        const auto response = Command(ed::QueueRateCommand(rate_));
        if (response && response->response == ed::kNakInvalid)
            return End(StreamEnd::Failed, "the DAC refuses " + std::to_string(rate_) +
                                              " points a second (above its maximum); nothing was sent");
        if (const Step s = Check(response, "queue rate"); s != Step::Go)
            return s;
        carryRate_ = rate_;
        rateQueued_ = true;
    }
    out_.status.connected = true;
    Report(true);
    return Step::Go;
}

void EtherDreamRun::Rejoin()
{
    carry_.clear();
    carryRate_.reset();
    if (options_.showStart) {
        // Back a slot or more later than the buffer takes to fill, the
        // lead-in lasting until then, so that Begin can still make it end on
        // the show's clock however long the filling took.
        feed_.Resume(ShowSeconds() + options_.leadSeconds + 2 * options_.bufferSeconds);
        feed_.LeadIn(feed_.ResumesAt() - ShowSeconds());
    } else {
        feed_.Resume(ShowSeconds());
    }
    rate_ = static_cast<std::uint32_t>(std::lround(feed_.Rate()));
    Aim();
}

void EtherDreamRun::StartShow()
{
    everConnected_ = true;
    showStart_ = options_.showStart.value_or(Clock::now());
    if (options_.showStart)
        JoinSharedStart(feed_, options_);
}

EtherDreamRun::Step EtherDreamRun::Begin()
{
    if (const Step s = Check(Command(ed::BeginCommand(0, beginRate_)), "begin"); s != Step::Go)
        return s;
    model_ = Model(Clock::now());
    modelAt_ = Clock::now();
    began_ = true;
    if (options_.showStart) // the first point plays now: the show starts on time, however long this took
        feed_.LeadIn(feed_.ResumesAt() - ShowSeconds());
    return Step::Go;
}

// Nothing to send now: begin once it is as full as it gets, else keep in touch.
EtherDreamRun::Step EtherDreamRun::Idle(Clock::time_point now)
{
    if (!began_ && last_.playback == ed::Playback::Prepared && sincePrepare_ > 0)
        return Begin();
    if (now - lastCommand_ > 100ms) {
        const std::uint8_t ping[] = {ed::kPing};
        const auto response = Command(ping);
        if (response)
            Compare();
        return Check(response, "ping");
    }
    std::this_thread::sleep_for(1ms);
    return Step::Go;
}

EtherDreamRun::Step EtherDreamRun::Pump()
{
    const auto now = Clock::now();
    const std::size_t estimated = Estimated(now);
    const std::size_t want = target_ > estimated ? target_ - estimated : 0;
    if (want < chunk_ || (feed_.Done() && carry_.empty()))
        return Idle(now);
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
    if (const Step s = Send(std::min(carry_.size(), want)); s != Step::Go)
        return s;
    if (!began_ && (Estimated(Clock::now()) >= target_ || feed_.Ending()))
        return Begin();
    return Step::Go;
}

// The first count points of carry_, kept when the DAC has no room yet.
EtherDreamRun::Step EtherDreamRun::Send(std::size_t count)
{
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
    inFlight_ = count;
    const auto response = Command(ed::DataCommand(wire));
    inFlight_ = 0;
    const bool taken = response && response->response == ed::kAck;
    if (taken) {
        sincePrepare_ += count;
        model_ = Model(Clock::now()) + static_cast<double>(count);
        modelAt_ = Clock::now();
    }
    if (response)
        Compare();
    if (response && response->response == ed::kNakFull && distrust_.empty()) {
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
    Sent(count);
    return Step::Go;
}

void EtherDreamRun::Sent(std::size_t count)
{
    carry_.erase(carry_.begin(), carry_.begin() + static_cast<std::ptrdiff_t>(count));
    out_.status.pointsSent += count;
    failures_ = 0;
    if (carryRate_) {
        rate_ = *std::exchange(carryRate_, std::nullopt);
        rateQueued_ = false;
        Aim();
    }
    for (const std::uint64_t slot : feed_.TakeStartedSlots())
        if (hooks_.onFrameSent)
            hooks_.onFrameSent(slot);
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

// The connection is gone: End, or Go to connect again.
EtherDreamRun::Step EtherDreamRun::Lost()
{
    socket_.Close();
    out_.status.connected = false;
    Report(true);
    if (!everConnected_ && Clock::now() - runStart_ > kFirstContactTime)
        return End(StreamEnd::Failed, "the DAC at " + AddressText(address_) + " does not answer");
    if (options_.endOnLoss)
        return End(StreamEnd::Lost, "lost the connection to the DAC");
    // Only the lead-out was left, and a DAC stops when its connection
    // does: nothing is left to resume.
    if (feed_.Ending()) {
        out_.end = stop_ ? StreamEnd::Stopped : StreamEnd::Done;
        return Step::End;
    }
    return Step::Go;
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
            rateQueued_ = false; // a prepare forgets the queued rates
            if (last_.playback == ed::Playback::Idle)
                step = Prepare();
            Rejoin();
            beginRate_ = rate_;
        }
        if (step == Step::End)
            break;
        if (step == Step::Lost) {
            if (Lost() == Step::End)
                break;
            continue;
        }
        Report(false);
    }
    socket_.Close();
    out_.status.connected = false;
    out_.status.frame = feed_.Slot();
    out_.status.skipped = feed_.Skipped();
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
