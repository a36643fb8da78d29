#include "player/LiveOutput.h"

#include <QMetaObject>
#include <QStringList>

#include <algorithm>

namespace player {

// The frame on show and its rate, shared by every sender's source.
class LiveOutput::Shared {
public:
    void Set(std::vector<ilda::Point> frame, double rate)
    {
        std::lock_guard lock(mutex_);
        next_ = std::move(frame);
        rate_ = rate;
    }
    std::vector<ilda::Point> Next() const
    {
        std::lock_guard lock(mutex_);
        return next_;
    }
    void Take(std::vector<ilda::Point> &frame, double &rate)
    {
        std::lock_guard lock(mutex_);
        frame = next_;
        rate = rate_;
        ++taken_;
    }
    std::uint64_t Taken() const { return taken_; }

private:
    mutable std::mutex mutex_;
    std::atomic<std::uint64_t> taken_{0};
    std::vector<ilda::Point> next_;
    double rate_ = 0;
};

// One sender's view of the frame on show: its own copy, so that a sender
// never reads a frame another is replacing. The show never ends by itself.
class LiveOutput::Source : public dac::FrameSource {
public:
    explicit Source(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
    const std::vector<ilda::Point> *Frame(std::uint64_t) override
    {
        shared_->Take(current_, rate_);
        return &current_;
    }
    double FrameRate() const override { return rate_; }

private:
    std::shared_ptr<Shared> shared_;
    std::vector<ilda::Point> current_;
    double rate_ = 0;
};

namespace {

// A DAC's buffer, or why it has none, in a word.
QString BufferWord(const DacState &state)
{
    const dac::StreamStatus &s = state.status;
    if (state.ended)
        return QStringLiteral("ended");
    if (!s.connected)
        return state.wasConnected ? QStringLiteral("lost") : QStringLiteral("connecting");
    if (s.capacity)
        return QStringLiteral("%1/%2").arg(s.buffered).arg(s.capacity);
    return s.buffered ? QString::number(s.buffered) : QStringLiteral("-"); // IDN: frames, no buffer
}

bool Failed(const dac::StreamOutcome &outcome)
{
    return outcome.end != dac::StreamEnd::Done && outcome.end != dac::StreamEnd::Stopped;
}

} // namespace

QString DacStateText(const DacState &state)
{
    const dac::StreamStatus &s = state.status;
    if (state.ended)
        return QStringLiteral("ended: %1").arg(QString::fromStdString(state.ended->message));
    QString text;
    if (!s.connected)
        text = state.wasConnected ? QStringLiteral("lost, reconnecting  ") : QStringLiteral("connecting  ");
    else if (s.capacity)
        text = QStringLiteral("buffer %1/%2  ").arg(s.buffered).arg(s.capacity);
    else if (s.buffered)
        text = QStringLiteral("buffer %1  ").arg(s.buffered);
    return text + QStringLiteral("underflows %1").arg(s.underflows);
}

LiveOutput::LiveOutput(QObject *parent) : QObject(parent), shared_(std::make_shared<Shared>()) {}

LiveOutput::~LiveOutput()
{
    Stop();
}

void LiveOutput::SetFrame(std::vector<ilda::Point> frame, double rate)
{
    shared_->Set(std::move(frame), rate);
}

std::vector<ilda::Point> LiveOutput::NextFrame() const
{
    return shared_->Next();
}

std::uint64_t LiveOutput::FramesTaken() const
{
    return shared_->Taken();
}

void LiveOutput::Start(const std::vector<dac::FoundDac> &dacs, double rate, bool clearEstop)
{
    Stop();
    std::vector<dac::ShowOutput> outputs;
    std::vector<DacState> states;
    for (const dac::FoundDac &d : dacs) {
        dac::ShowOutput output{{}, std::make_unique<Source>(shared_)};
        dac::StreamOptions &options = output.options;
        options.target = {d.kind, d.address, d.port, d.unit};
        options.rate = rate;
        options.maxRate = d.maxRate;
        options.capacity = d.capacity;
        options.endOnLoss = dacs.size() == 1; // several: the others play on while it is resumed
        options.clearEstop = clearEstop;
        outputs.push_back(std::move(output));
        DacState state{d.Target(), {}, false, std::nullopt};
        state.status.rate = rate; // until the sender's first report
        states.push_back(std::move(state));
    }
    {
        std::lock_guard lock(stateMutex_);
        states_ = std::move(states);
    }
    stop_ = false;
    worker_ =
        std::thread([this, outputs = std::move(outputs), run = ++run_]() mutable { Run(std::move(outputs), run); });
}

void LiveOutput::Run(std::vector<dac::ShowOutput> outputs, std::uint64_t run)
{
    std::vector<dac::StreamOutcome> outcomes;
    if (outputs.size() == 1) {
        dac::StreamHooks hooks;
        hooks.onStatus = [this](const dac::StreamStatus &s) { Told(0, s); };
        outcomes.push_back(dac::RunStream(outputs.front().options, *outputs.front().source, stop_, hooks));
    } else {
        dac::MultiShowHooks hooks;
        hooks.onStatus = [this](std::size_t i, const dac::StreamStatus &s) { Told(i, s); };
        hooks.onEnded = [this](std::size_t i, const dac::StreamOutcome &outcome) {
            std::lock_guard lock(stateMutex_);
            if (Failed(outcome))
                states_[i].ended = outcome;
        };
        outcomes = dac::RunMultiShow(outputs, stop_, hooks);
    }
    if (!stop_)
        QMetaObject::invokeMethod(
            this, [this, outcomes, run] { Finish(outcomes, run); }, Qt::QueuedConnection);
}

void LiveOutput::Told(std::size_t output, const dac::StreamStatus &status)
{
    std::lock_guard lock(stateMutex_);
    states_[output].status = status;
    states_[output].wasConnected = states_[output].wasConnected || status.connected;
}

// On the window's thread: the worker is done; the first fault is told, an
// emergency stop before any other.
void LiveOutput::Finish(const std::vector<dac::StreamOutcome> &outcomes, std::uint64_t run)
{
    if (run != run_)
        return; // turned off, maybe on again, since
    Stop();
    const auto estop = std::find_if(outcomes.begin(), outcomes.end(),
                                    [](const dac::StreamOutcome &o) { return o.end == dac::StreamEnd::EmergencyStop; });
    const auto fault = estop != outcomes.end() ? estop : std::find_if(outcomes.begin(), outcomes.end(), Failed);
    QString message;
    if (fault != outcomes.end()) {
        message = QString::fromStdString(fault->message);
        if (outcomes.size() > 1) {
            std::lock_guard lock(stateMutex_);
            const auto at = static_cast<std::size_t>(fault - outcomes.begin());
            message = QStringLiteral("%1: %2").arg(QString::fromStdString(states_[at].target), message);
        }
    }
    if (estop != outcomes.end() && outcomes.size() > 1)
        message += QStringLiteral("; every DAC was stopped");
    emit Ended(estop != outcomes.end(), message);
}

void LiveOutput::Stop()
{
    stop_ = true;
    if (worker_.joinable()) {
        worker_.join();
        ++run_; // an end it posted before stopping is not this run's
    }
}

QString LiveOutput::StatusText() const
{
    std::lock_guard lock(stateMutex_);
    if (states_.empty())
        return {};
    const QString rate = QStringLiteral("%1 pts/s").arg(states_.front().status.rate, 0, 'f', 0);
    if (states_.size() == 1)
        return QStringLiteral("%1  %2  %3")
            .arg(QString::fromStdString(states_.front().target), rate, DacStateText(states_.front()));
    // Several: short enough for the status bar; Details() has each in full.
    QStringList buffers, underflows, away;
    for (const DacState &state : states_) {
        buffers << BufferWord(state);
        underflows << QString::number(state.status.underflows);
        if (state.ended || !state.status.connected)
            away << QString::fromStdString(state.target);
    }
    QString text = QStringLiteral("%1 DACs at %2; ").arg(states_.size()).arg(rate);
    if (!away.isEmpty()) // first, where a narrow window still shows it
        text += QStringLiteral("not playing: %1; ").arg(away.join(QStringLiteral(", ")));
    return text + QStringLiteral("buffers %1; underflows %2")
                      .arg(buffers.join(QStringLiteral(", ")), underflows.join(QStringLiteral(", ")));
}

QString LiveOutput::Details() const
{
    std::lock_guard lock(stateMutex_);
    QStringList lines;
    for (const DacState &state : states_)
        lines << QStringLiteral("%1: %2").arg(QString::fromStdString(state.target), DacStateText(state));
    return lines.join(QLatin1Char('\n'));
}

} // namespace player
