// The Ether Dream sender's bytes against a DAC the test plays itself, and
// point-rate changes from the feed to the emulator.
#include "dac/EtherDream.h"
#include "dac/Net.h"
#include "dac/Stream.h"
#include "emulator/Emulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sys/socket.h>
#include <thread>

namespace {

namespace ed = dac::etherdream;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

std::vector<ilda::Point> Line(std::int16_t x, std::size_t points)
{
    std::vector<ilda::Point> out(points);
    for (std::size_t i = 0; i < points; ++i) {
        out[i].x = x;
        out[i].y = static_cast<std::int16_t>(i * 10);
        out[i].color = ilda::Rgb(0, 200, 0);
    }
    return out;
}

// Frames, each with the rate it was prepared for: slot k shows frame
// k < switchAt ? 0 : 1.
class TwoRates : public dac::FrameSource {
public:
    TwoRates(double firstRate, double secondRate, std::uint64_t switchAt, std::uint64_t slots)
        : frames_{Line(100, 7), Line(-900, 11)}, rates_{firstRate, secondRate}, switchAt_(switchAt), slots_(slots)
    {
    }
    const std::vector<ilda::Point> *Frame(std::uint64_t slot) override
    {
        if (slot >= slots_)
            return nullptr;
        current_ = slot < switchAt_ ? 0 : 1;
        return &frames_[current_];
    }
    double FrameRate() const override { return rates_[current_]; }
    const std::vector<ilda::Point> &Second() const { return frames_[1]; }

private:
    std::vector<ilda::Point> frames_[2];
    double rates_[2];
    std::uint64_t switchAt_, slots_;
    std::size_t current_ = 0;
};

TEST(PointFeed, AnotherRateStartsWithItsFrameAndKeepsTheSlotsOnTime)
{
    TwoRates source(1000, 2000, 1, 2);
    dac::PointFeed feed(source, 1000, 10, 0.003);
    std::vector<ilda::Point> out;
    std::vector<std::size_t> changedAt;
    while (!feed.Done()) {
        const std::size_t before = out.size();
        const double rate = feed.Rate();
        feed.Take(13, out);
        if (feed.Rate() != rate)
            changedAt.push_back(before);
    }
    // 3 lead-in and 105 of the first frame at 1,000; the second until 0.2 s
    // (190 points at 2,000, so 18 whole: 198), then 6 lead-out at 2,000.
    ASSERT_EQ(changedAt, std::vector<std::size_t>{108});
    EXPECT_EQ(out[108].x, -900);
    EXPECT_EQ(out[107].x, 100);
    ASSERT_EQ(out.size(), 3u + 105u + 198u + 6u);
    EXPECT_TRUE(std::all_of(out.end() - 6, out.end(), [](const ilda::Point &p) { return p.Blanked(); }));
    EXPECT_EQ(out[out.size() - 7].x, -900);
}

// An Ether Dream the test plays: it answers each command (data commands as
// answer says, by their number), keeps every command's bytes, and reports
// an empty buffer, so the sender runs ahead as fast as it is answered.
class ScriptedDac {
public:
    explicit ScriptedDac(std::function<std::uint8_t(std::size_t data)> answer) : answer_(std::move(answer))
    {
        listen_ = dac::TcpListen(*dac::Resolve("127.0.0.1", 0));
        sockaddr_in bound{};
        socklen_t length = sizeof bound;
        getsockname(listen_.Fd(), reinterpret_cast<sockaddr *>(&bound), &length);
        port_ = ntohs(bound.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ScriptedDac() { thread_.join(); }
    std::uint16_t Port() const { return port_; }
    // Once the sender is gone.
    const std::vector<Bytes> &Commands()
    {
        thread_.join();
        thread_ = std::thread([] {});
        return commands_;
    }

private:
    bool Read(std::size_t count, Bytes &into)
    {
        const std::size_t at = into.size();
        into.resize(at + count);
        return dac::ReceiveExact(client_.Fd(), std::span(into).subspan(at), dac::Clock::now() + 3s);
    }
    void Serve()
    {
        if (!dac::WaitReadable(listen_.Fd(), 5000ms))
            return;
        client_ = dac::Socket(::accept(listen_.Fd(), nullptr, nullptr));
        ed::Status status;
        dac::SendAll(client_.Fd(), ed::EncodeResponse({ed::kAck, ed::kPing, status}));
        std::size_t data = 0;
        for (Bytes command; Read(1, command); command.clear()) {
            const std::size_t size = ed::CommandSize(command[0]);
            if (size > 1 && !Read(size - 1, command))
                return;
            if (command[0] == ed::kData && !Read(ed::DataCount(command.data()) * ed::kPointSize, command))
                return;
            std::uint8_t answer = command[0] == ed::kData ? answer_(data++) : ed::kAck;
            if (answer == ed::kAck) {
                if (command[0] == ed::kPrepare)
                    status.playback = ed::Playback::Prepared;
                if (command[0] == ed::kBegin) {
                    status.playback = ed::Playback::Playing;
                    status.pointRate = command[3] | command[4] << 8 | command[5] << 16;
                }
                if (command[0] == ed::kStop)
                    status.playback = ed::Playback::Idle;
            }
            commands_.push_back(command);
            dac::SendAll(client_.Fd(), ed::EncodeResponse({answer, command[0], status}));
        }
    }

    std::function<std::uint8_t(std::size_t)> answer_;
    dac::Socket listen_, client_;
    std::uint16_t port_ = 0;
    std::thread thread_;
    std::vector<Bytes> commands_;
};

dac::StreamOutcome StreamTo(ScriptedDac &dac, dac::FrameSource &source)
{
    dac::StreamOptions options;
    options.target = {dac::Kind::EtherDream, "127.0.0.1", dac.Port()};
    std::atomic<bool> stop{false};
    return dac::RunStream(options, source, stop);
}

// The points of the data commands the DAC took, in order.
std::vector<ed::Point> Taken(const std::vector<Bytes> &commands, std::size_t refused = SIZE_MAX)
{
    std::vector<ed::Point> points;
    std::size_t data = 0;
    for (const Bytes &c : commands)
        if (c[0] == ed::kData && data++ != refused)
            for (std::size_t i = 0; i < ed::DataCount(c.data()); ++i)
                points.push_back(ed::DecodePoint(c.data() + 3 + i * ed::kPointSize));
    return points;
}

TEST(EtherDreamSender, QueuesARateChangeBeforeTheDataWhosePointStartsIt)
{
    ScriptedDac dac([](std::size_t) { return ed::kAck; });
    TwoRates source(30000, 20000, 2, 4);
    const auto outcome = StreamTo(dac, source);
    ASSERT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    const auto &commands = dac.Commands();
    const auto queued =
        std::find_if(commands.begin(), commands.end(), [](const Bytes &c) { return c[0] == ed::kQueueRate; });
    ASSERT_NE(queued, commands.end());
    EXPECT_EQ(*queued, ed::QueueRateCommand(20000));
    EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](const Bytes &c) { return c[0] == ed::kQueueRate; }),
              1);
    ASSERT_NE(queued + 1, commands.end());
    const Bytes &data = queued[1];
    ASSERT_EQ(data[0], ed::kData);
    const ed::Point first = ed::DecodePoint(data.data() + 3);
    EXPECT_EQ(first.control, ed::kControlRateChange);
    EXPECT_EQ(first.x, source.Second()[0].x);
    const auto points = Taken(commands);
    EXPECT_EQ(std::count_if(points.begin(), points.end(), [](const ed::Point &p) { return p.control != 0; }), 1);
    const auto begin =
        std::find_if(commands.begin(), commands.end(), [](const Bytes &c) { return c[0] == ed::kBegin; });
    ASSERT_NE(begin, commands.end());
    EXPECT_EQ(*begin, ed::BeginCommand(0, 30000)); // the first points' rate
}

TEST(EtherDreamSender, AFullBufferLosesNoPointAndAnInvalidCommandEnds)
{
    ScriptedDac full([](std::size_t data) { return data == 2 ? ed::kNakFull : ed::kAck; });
    TwoRates source(30000, 30000, 1, 3);
    ASSERT_EQ(StreamTo(full, source).end, dac::StreamEnd::Done);
    // What the DAC took is the feed's own sequence: nothing dropped or doubled.
    TwoRates again(30000, 30000, 1, 3);
    dac::PointFeed feed(again, 30000, 30, 0.010);
    std::vector<ilda::Point> expected;
    while (!feed.Done())
        feed.Take(1000, expected);
    const auto taken = Taken(full.Commands(), 2);
    ASSERT_EQ(taken.size(), expected.size());
    for (std::size_t i = 0; i < taken.size(); ++i)
        ASSERT_EQ(taken[i], ed::FromIlda(expected[i])) << i;

    ScriptedDac invalid([](std::size_t data) { return data == 1 ? ed::kNakInvalid : ed::kAck; });
    TwoRates show(30000, 30000, 1, 30);
    const auto outcome = StreamTo(invalid, show);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Failed);
    EXPECT_NE(outcome.message.find("data command as invalid"), std::string::npos) << outcome.message;
    const auto &commands = invalid.Commands();
    EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](const Bytes &c) { return c[0] == ed::kData; }), 2);
}

emu::EmulatorFigures StreamToEmulator(emu::EmulatorOptions emulatorOptions, dac::FrameSource &source,
                                      dac::StreamOptions options, dac::StreamOutcome &outcome,
                                      std::vector<std::vector<ilda::Point>> *recording = nullptr)
{
    emulatorOptions.broadcastTo.clear();
    emulatorOptions.keep = recording != nullptr;
    emulatorOptions.anyPort = true;
    emu::Emulator emulator(emulatorOptions);
    std::string problem;
    EXPECT_TRUE(emulator.Start(problem)) << problem;
    options.target = {emulatorOptions.kind, "127.0.0.1", emulator.Port()};
    std::atomic<bool> stop{false};
    outcome = dac::RunStream(options, source, stop);
    emulator.Stop();
    if (recording)
        *recording = emulator.Recording();
    return emulator.Figures();
}

TEST(EtherDreamSender, ChangesRateOnLoopbackWithoutStopping)
{
    TwoRates source(30000, 20000, 3, 8);
    dac::StreamOutcome outcome;
    std::vector<std::vector<ilda::Point>> recording;
    const auto figures = StreamToEmulator({}, source, {}, outcome, &recording);
    ASSERT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    EXPECT_EQ(figures.connections, 1u);
    EXPECT_EQ(std::count(figures.log.begin(), figures.log.end(), 'p'), 1);
    EXPECT_NE(figures.log.find("qd"), std::string::npos) << figures.log;
    // The emulator took the new rate at the second frame's first point.
    ASSERT_EQ(figures.rateChanges.size(), 1u);
    EXPECT_EQ(figures.rateChanges[0].second, 20000u);
    std::vector<ilda::Point> played;
    for (const auto &frame : recording)
        played.insert(played.end(), frame.begin(), frame.end());
    const std::size_t at = figures.rateChanges[0].first;
    ASSERT_LT(at, played.size());
    EXPECT_EQ(played[at].x, -900);
    EXPECT_EQ(played[at - 1].x, 100);
    EXPECT_EQ(outcome.status.rate, 20000);

    // An IDN unit takes the rate from each frame's duration.
    emu::EmulatorOptions idn;
    idn.kind = dac::Kind::Idn;
    TwoRates again(30000, 20000, 3, 8);
    const auto idnFigures = StreamToEmulator(idn, again, {}, outcome, &recording);
    ASSERT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    ASSERT_EQ(recording.size(), 1u + 8u + 1u);
    EXPECT_EQ(recording[3].front().x, 100);
    EXPECT_EQ(recording[4].front().x, -900);
    EXPECT_NEAR(idnFigures.rate, 20000, 20);  // the lead-out's
    EXPECT_EQ(recording.back().size(), 200u); // 10 ms at 20,000
}

TEST(EtherDreamSender, NeverSendsMoreThanTheBufferHasRoomFor)
{
    emu::EmulatorOptions small;
    small.capacity = 500; // less than the 40 ms it would aim for
    dac::StreamOptions options;
    options.capacity = 500;
    TwoRates source(30000, 30000, 1, 9);
    dac::StreamOutcome outcome;
    const auto figures = StreamToEmulator(small, source, options, outcome);
    ASSERT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    EXPECT_EQ(figures.refusedFull, 0u);
    EXPECT_GT(figures.pointsPlayed, 9000u);
}

} // namespace
