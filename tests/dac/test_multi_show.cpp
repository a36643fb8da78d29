// One show to several emulators at once: in step, a lost DAC resumed while
// the others play on, an emergency stop on one ending all.
#include "LoopbackEmulator.h"
#include "RunProgram.h"
#include "TempDir.h"

#include "dac/MultiShow.h"
#include "dac/Show.h"
#include "emulator/Emulator.h"
#include "ilda/Writing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

namespace {

constexpr double kRate = 30000;
constexpr double kFps = 30;
// Generous for a loaded machine; the benchmark measures the real spread.
constexpr double kMostSpread = 0.050;

// Frame k is marked by y = 16k (steps a LaserCube's 12 bits keep).
constexpr int kMarkStep = 16;
int FrameOf(std::int16_t mark)
{
    return mark / kMarkStep;
}

// Frames of one slot each, frame k marked for the emulators by its first point.
std::vector<std::vector<ilda::Point>> MarkedFrames(int count)
{
    std::vector<std::vector<ilda::Point>> frames;
    for (int k = 0; k < count; ++k) {
        std::vector<ilda::Point> frame(static_cast<std::size_t>(kRate / kFps));
        for (std::size_t i = 0; i < frame.size(); ++i) {
            frame[i].x = static_cast<std::int16_t>(i * 20);
            frame[i].color = ilda::Rgb(0, 255, 0);
        }
        frame[0].x = -32768;
        frame[0].y = static_cast<std::int16_t>(k * kMarkStep);
        frames.push_back(std::move(frame));
    }
    return frames;
}

struct Rig {
    std::vector<std::unique_ptr<emu::Emulator>> emulators;
    std::vector<dac::ShowOutput> outputs;
    double idnHold = 0; // seconds the IDN units hold each frame past its timestamp

    // An emulator of kind on a free port and an output to it playing slots frames.
    void Add(dac::Kind kind, std::uint64_t slots, double dropAfter = -1, double estopAfter = -1)
    {
        auto options = testsupport::LoopbackEmulator(kind);
        options.dropAfter = dropAfter;
        options.estopAfter = estopAfter;
        options.holdSeconds = idnHold;
        auto emulator = std::make_unique<emu::Emulator>(options);
        std::string problem;
        ASSERT_TRUE(emulator->Start(problem)) << problem;
        dac::ShowOutput output;
        output.options.target = {kind, "127.0.0.1", emulator->Port()};
        output.options.rate = kRate;
        output.options.fps = kFps;
        output.options.idnHoldSeconds = idnHold;
        output.source = std::make_unique<dac::ShowSource>(MarkedFrames(static_cast<int>(slots)), false, slots);
        outputs.push_back(std::move(output));
        emulators.push_back(std::move(emulator));
    }
    std::vector<dac::StreamOutcome> Run(const std::atomic<bool> &stop, const dac::MultiShowHooks &hooks = {})
    {
        auto outcomes = dac::RunMultiShow(outputs, stop, hooks, {0.3});
        for (auto &emulator : emulators)
            emulator->Stop();
        return outcomes;
    }
};

// Each frame's start on every emulator that played it, by its mark.
std::map<int, std::vector<double>> StartsByFrame(const Rig &rig)
{
    std::map<int, std::vector<double>> starts;
    for (const auto &emulator : rig.emulators) {
        std::map<int, double> first; // a frame shown again after a loss counts at its first start
        for (const auto &[at, mark] : emulator->Figures().frameStarts)
            first.emplace(FrameOf(mark), at);
        for (const auto &[frame, at] : first)
            starts[frame].push_back(at);
    }
    return starts;
}

// The largest spread of a frame's start across the emulators, over frames
// from first on that all of them played; and how many those were.
std::pair<double, std::size_t> Spread(const Rig &rig, int first = 0)
{
    double most = 0;
    std::size_t frames = 0;
    for (const auto &[frame, at] : StartsByFrame(rig)) {
        if (frame < first || at.size() != rig.emulators.size())
            continue;
        most = std::max(most, *std::max_element(at.begin(), at.end()) - *std::min_element(at.begin(), at.end()));
        ++frames;
    }
    return {most, frames};
}

TEST(EmulatorFrameStarts, AnEtherDreamTellsWhenEachMarkedFramePlayedByItsClock)
{
    Rig rig;
    rig.Add(dac::Kind::EtherDream, 30);
    std::atomic<bool> stop{false};
    ASSERT_EQ(rig.Run(stop).front().end, dac::StreamEnd::Done);
    const auto starts = rig.emulators.front()->Figures().frameStarts;
    ASSERT_EQ(starts.size(), 30u);
    for (std::size_t k = 1; k < starts.size(); ++k) {
        EXPECT_EQ(FrameOf(starts[k].second), static_cast<int>(k));
        // A slot's points take 1/30 s at the DAC's rate, whenever the ticks fall.
        EXPECT_NEAR(starts[k].first - starts[k - 1].first, 1 / kFps, 0.004) << k;
    }
}

TEST(IdnStream, FramesKeepTheirSlotsWhateverTheWakeUps)
{
    Rig rig;
    rig.Add(dac::Kind::Idn, 90);
    std::atomic<bool> stop{false};
    const auto outcome = rig.Run(stop).front();
    ASSERT_EQ(outcome.end, dac::StreamEnd::Done);
    const auto starts = rig.emulators.front()->Figures().frameStarts;
    ASSERT_GE(starts.size(), 88u);
    // Late sends must not add up: frame k arrives k/30 s after frame 0.
    for (const auto &[at, mark] : starts)
        EXPECT_NEAR(at - starts.front().first, FrameOf(mark) / kFps, 0.015) << mark;
}

class InStep : public testing::TestWithParam<std::vector<dac::Kind>> {};

TEST_P(InStep, EveryFrameStartsOnEveryDacTogether)
{
    Rig rig;
    for (const dac::Kind kind : GetParam())
        rig.Add(kind, 60);
    std::atomic<bool> stop{false};
    for (const auto &outcome : rig.Run(stop))
        EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    const auto [spread, frames] = Spread(rig);
    EXPECT_GE(frames, 54u); // a frame or two may be skipped on a loaded machine
    EXPECT_LT(spread, kMostSpread);
}

INSTANTIATE_TEST_SUITE_P(Kinds, InStep,
                         testing::Values(std::vector{dac::Kind::EtherDream, dac::Kind::Idn},
                                         std::vector{dac::Kind::EtherDream, dac::Kind::LaserCube, dac::Kind::Idn},
                                         std::vector{dac::Kind::EtherDream, dac::Kind::EtherDream, dac::Kind::Idn,
                                                     dac::Kind::Idn}));

// Frames sent ahead, each played on its slot by its timestamp: not the
// hold late, nor early.
TEST(IdnStream, AUnitThatHoldsFramesPlaysThemInStep)
{
    Rig rig;
    rig.idnHold = 0.040;
    rig.Add(dac::Kind::EtherDream, 60);
    rig.Add(dac::Kind::Idn, 60);
    std::atomic<bool> stop{false};
    for (const auto &outcome : rig.Run(stop))
        EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    const auto [spread, frames] = Spread(rig);
    EXPECT_GE(frames, 54u);
    EXPECT_LT(spread, rig.idnHold / 2);
}

TEST(MultiShow, ADacLostIsResumedInStepWhileTheOthersPlayOn)
{
    Rig rig;
    rig.Add(dac::Kind::EtherDream, 90, 0.9); // drops its connection 0.9 s in, for a second
    rig.Add(dac::Kind::Idn, 90);
    rig.Add(dac::Kind::Idn, 90, 1.0); // falls silent 1 s in
    std::atomic<bool> stop{false};
    const auto outcomes = rig.Run(stop);
    for (const auto &outcome : outcomes)
        EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    EXPECT_GE(outcomes[0].status.reconnects, 1u);
    EXPECT_EQ(outcomes[1].status.reconnects, 0u);
    EXPECT_GE(outcomes[2].status.reconnects, 1u);
    // The one that stayed played the show through.
    EXPECT_GE(rig.emulators[1]->Figures().frameStarts.size(), 85u);
    // After the losses, frames start together again (frame 75: 2.5 s in).
    const auto [spread, frames] = Spread(rig, 75);
    EXPECT_GE(frames, 10u);
    EXPECT_LT(spread, kMostSpread);
}

// However long an Ether Dream back after a loss takes to fill its buffer
// again (here its thread stalls 25 ms once it is connected), it plays on
// the show's clock.
TEST(MultiShow, AnEtherDreamSlowToRefillComesBackInStep)
{
    Rig rig;
    rig.idnHold = 0.040; // the stall holds up the IDN sender's hooks too
    rig.Add(dac::Kind::EtherDream, 90, 0.9);
    rig.Add(dac::Kind::Idn, 90);
    bool stalled = false;
    dac::MultiShowHooks hooks;
    hooks.onStatus = [&stalled](std::size_t output, const dac::StreamStatus &status) {
        if (output == 0 && status.connected && status.reconnects > 0 && !stalled) {
            stalled = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    };
    std::atomic<bool> stop{false};
    for (const auto &outcome : rig.Run(stop, hooks))
        EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    EXPECT_TRUE(stalled);
    const auto [spread, frames] = Spread(rig, 75);
    EXPECT_GE(frames, 10u);
    EXPECT_LT(spread, 0.010);
}

TEST(MultiShow, ADacThatAnswersLateJoinsWhereTheOthersAre)
{
    Rig rig;
    rig.Add(dac::Kind::Idn, 75);
    rig.Add(dac::Kind::EtherDream, 75, 0.0); // hangs up on everyone for its first second
    std::atomic<bool> stop{false};
    const auto outcomes = rig.Run(stop);
    for (const auto &outcome : outcomes)
        EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    EXPECT_GT(outcomes[1].status.skipped, 5u); // the show's time went on without it
    const auto [spread, frames] = Spread(rig, 45);
    EXPECT_GE(frames, 25u);
    EXPECT_LT(spread, kMostSpread);
}

// A source that takes its time over one frame, as a slow disk would: the
// DAC it feeds runs dry meanwhile.
class SlowOnce : public dac::FrameSource {
public:
    SlowOnce(std::unique_ptr<dac::FrameSource> inner, std::uint64_t slot) : inner_(std::move(inner)), slot_(slot) {}
    const std::vector<ilda::Point> *Frame(std::uint64_t slot) override
    {
        if (slot >= slot_ && !slept_) {
            slept_ = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        return inner_->Frame(slot);
    }

private:
    std::unique_ptr<dac::FrameSource> inner_;
    std::uint64_t slot_;
    bool slept_ = false;
};

TEST(MultiShow, AnEtherDreamThatRanDryComesBackInStep)
{
    Rig rig;
    rig.Add(dac::Kind::EtherDream, 90);
    rig.Add(dac::Kind::Idn, 90);
    rig.outputs[0].source = std::make_unique<SlowOnce>(std::move(rig.outputs[0].source), 30);
    std::atomic<bool> stop{false};
    const auto outcomes = rig.Run(stop);
    for (const auto &outcome : outcomes)
        EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    EXPECT_GE(outcomes[0].status.underflows, 1u);
    const auto [spread, frames] = Spread(rig, 60); // 2 s in: long after the gap
    EXPECT_GE(frames, 20u);
    EXPECT_LT(spread, kMostSpread);
}

TEST(MultiShow, AnEmergencyStopOnOneStopsThemAll)
{
    Rig rig;
    rig.Add(dac::Kind::EtherDream, 600);
    rig.Add(dac::Kind::EtherDream, 600, -1, 0.8);
    rig.Add(dac::Kind::Idn, 600);
    std::atomic<bool> stop{false};
    const auto began = dac::Clock::now();
    const auto outcomes = rig.Run(stop);
    EXPECT_LT(dac::Clock::now() - began, std::chrono::seconds(5)); // not the show's 20 s
    EXPECT_EQ(outcomes[0].end, dac::StreamEnd::Stopped);
    EXPECT_EQ(outcomes[1].end, dac::StreamEnd::EmergencyStop);
    EXPECT_EQ(outcomes[2].end, dac::StreamEnd::Stopped);
}

TEST(MultiShow, EachOutputsEndIsToldWhileTheOthersPlayOn)
{
    Rig rig;
    rig.Add(dac::Kind::Idn, 15);
    rig.Add(dac::Kind::EtherDream, 60);
    std::atomic<bool> stop{false};
    std::vector<std::uint64_t> sent(2, 0);
    std::vector<std::pair<std::size_t, std::uint64_t>> ends; // the output, and what the other had sent by then
    dac::MultiShowHooks hooks;
    hooks.onFrameSent = [&sent](std::size_t i, std::uint64_t) { ++sent[i]; };
    hooks.onEnded = [&](std::size_t i, const dac::StreamOutcome &outcome) {
        EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
        ends.emplace_back(i, sent[1 - i]);
    };
    rig.Run(stop, hooks);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0].first, 0u);
    EXPECT_LT(ends[0].second, 45u); // the longer show had most of its frames still to play
    EXPECT_EQ(ends[1].first, 1u);
}

// The lead-in's length in all, set after taking some of it: where the first frame begins.
class LeadIn : public testing::TestWithParam<std::tuple<double, std::size_t, double, std::size_t>> {};

TEST_P(LeadIn, LastsWhatItIsToldAtLeastWhatWasTaken)
{
    const auto [first, taken, then, frameAt] = GetParam();
    dac::ShowSource source(MarkedFrames(1), false);
    dac::PointFeed feed(source, 1000, kFps, 0.010);
    feed.LeadIn(first);
    std::vector<ilda::Point> points;
    feed.Take(taken, points);
    feed.LeadIn(then);
    feed.Take(400 - taken, points);
    ASSERT_EQ(points.size(), 400u);
    EXPECT_TRUE(points[frameAt - 1].Blanked());
    EXPECT_EQ(points[frameAt].x, -32768);
}

INSTANTIATE_TEST_SUITE_P(Lengths, LeadIn,
                         testing::Values(std::tuple{0.25, 0u, 0.25, 250u},  // before any point
                                         std::tuple{0.0, 5u, 0.1, 100u},    // longer once begun
                                         std::tuple{0.25, 50u, 0.02, 50u},  // never shorter than taken
                                         std::tuple{0.25, 5u, 0.0, 10u},    // never below its own 10 ms
                                         std::tuple{0.0, 20u, 0.25, 10u})); // too late: the frame began

// Frames of one slot each, marked, for play.
void WriteMarkedFile(const std::filesystem::path &file, int frames)
{
    ilda::SectionWriter writer;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    for (const auto &frame : MarkedFrames(frames))
        writer.AddFrame(header, frame);
    writer.AddEndMarker(header);
    writer.SaveToFile(file.string());
}

TEST(PlayCommand, PlaysToSeveralDacsInStepAndStopsAllOnAnEmergencyStop)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteMarkedFile(dir.Path() / "show.ild", 30);
    Rig rig;
    rig.Add(dac::Kind::EtherDream, 1);
    rig.Add(dac::Kind::Idn, 1);
    const auto target = [&](std::size_t i) {
        return std::string(i == 0 ? "etherdream" : "idn") + ":127.0.0.1:" + std::to_string(rig.emulators[i]->Port());
    };
    const auto played = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI, {"play", "show.ild", "--dac", target(0), "--dac", target(1), "--profile", "none"});
    EXPECT_EQ(played.exitCode, 0) << played.err;
    EXPECT_NE(played.out.find(target(0) + " done: 30 frames"), std::string::npos) << played.out;
    EXPECT_NE(played.out.find(target(1) + " done: 30 frames"), std::string::npos) << played.out;
    EXPECT_LT(Spread(rig).first, kMostSpread);
    for (auto &emulator : rig.emulators)
        emulator->Stop();

    Rig stopping;
    stopping.Add(dac::Kind::EtherDream, 1, -1, 1.0);
    stopping.Add(dac::Kind::Idn, 1);
    rig.emulators.swap(stopping.emulators);
    const auto stopped = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI,
        {"play", "show.ild", "--dac", target(0), "--dac", target(1), "--profile", "none", "--loop", "--seconds", "20"});
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_NE(stopped.out.find(target(1) + " stopped:"), std::string::npos) << stopped.out;
    EXPECT_NE(stopped.err.find(target(0) + ": the DAC reports an emergency stop"), std::string::npos) << stopped.err;
    EXPECT_NE(stopped.err.find("every DAC was stopped"), std::string::npos) << stopped.err;
}

TEST(PlayCommand, RefusesOneDacGivenTwice)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteMarkedFile(dir.Path() / "show.ild", 1);
    const auto twice = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI,
        {"play", "show.ild", "--dac", "idn:127.0.0.1:9", "--dac", "idn:127.0.0.1:9", "--profile", "none"});
    EXPECT_EQ(twice.exitCode, 2);
    EXPECT_NE(twice.err.find("--dac idn:127.0.0.1:9 is given twice"), std::string::npos) << twice.err;
}

} // namespace
