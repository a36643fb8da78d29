// The senders against our emulators on loopback: the order of each
// protocol, what arrives point for point, dropout and resume, the
// emergency stop, and discovery.
#include "HeldPort.h"
#include "LoopbackEmulator.h"
#include "StreamSession.h"

#include "dac/Discovery.h"
#include "dac/Show.h"
#include "emulator/Emulator.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using streamtest::BlankCentre;
using streamtest::Flatten;
using streamtest::Lit;
using streamtest::Session;
using streamtest::Stream;

std::vector<ilda::Point> Square(std::int16_t size, std::size_t points)
{
    std::vector<ilda::Point> out;
    for (std::size_t i = 0; i < points; ++i)
        out.push_back(Lit(static_cast<std::int16_t>(size - static_cast<int>(i)), size));
    return out;
}

bool SameDrawing(const ilda::Point &a, const ilda::Point &b)
{
    return a.x == b.x && a.y == b.y && a.color == b.color;
}

emu::EmulatorOptions Kind(dac::Kind kind)
{
    return testsupport::LoopbackEmulator(kind);
}

TEST(PointFeed, RepeatsWholeFramesAndKeepsTheSlotsOnTime)
{
    const auto a = Square(100, 7), b = Square(200, 11);
    dac::ShowSource source({a, b}, false);
    dac::PointFeed feed(source, 1000, 10, 0.003); // 100 points a slot, 3 blanked
    std::vector<ilda::Point> out;
    while (!feed.Done())
        feed.Take(13, out);
    // 3 lead-in, a 15 times (105), b until 200 points of show (9 times: 204), 3 lead-out.
    ASSERT_EQ(out.size(), 3u + 105u + 99u + 3u);
    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + 3, BlankCentre));
    EXPECT_TRUE(std::all_of(out.end() - 3, out.end(), BlankCentre));
    for (std::size_t i = 0; i < 105; ++i)
        EXPECT_TRUE(SameDrawing(out[3 + i], a[i % 7]));
    for (std::size_t i = 0; i < 99; ++i)
        EXPECT_TRUE(SameDrawing(out[108 + i], b[i % 11]));
}

class BothKinds : public ::testing::TestWithParam<dac::Kind> {};

TEST_P(BothKinds, WhatArrivesIsTheShowBetweenBlankedEnds)
{
    const auto a = Square(1000, 300), b = Square(-2000, 40); // a is fragmented over IDN
    const Session run = Stream(Kind(GetParam()), {a, b}, 8);
    // (Underflows are lumivex-bench's figure: a loaded machine may starve the
    // emulator's thread here.)
    ASSERT_EQ(run.outcome.end, dac::StreamEnd::Done) << run.outcome.message;
    EXPECT_EQ(run.figures.malformed, 0u);
    const auto points = Flatten(run.recording);
    ASSERT_GT(points.size(), 600u);
    // At least 1 ms of blanked points at the centre at each end (30 at 30k).
    EXPECT_TRUE(std::all_of(points.begin(), points.begin() + 30, BlankCentre));
    EXPECT_TRUE(std::all_of(points.end() - 30, points.end(), BlankCentre));
    // Between them, a's points and b's, whole and in order.
    const auto firstLit = std::find_if(points.begin(), points.end(), [](const ilda::Point &p) { return !p.Blanked(); });
    ASSERT_NE(firstLit, points.end());
    for (std::size_t i = 0; i < a.size(); ++i)
        ASSERT_TRUE(SameDrawing(firstLit[static_cast<std::ptrdiff_t>(i)], a[i])) << i;
    const auto firstB = std::find_if(points.begin(), points.end(),
                                     [&](const ilda::Point &p) { return p.x == b[0].x && p.y == b[0].y; });
    ASSERT_NE(firstB, points.end());
    for (std::size_t i = 0; i < b.size(); ++i)
        ASSERT_TRUE(SameDrawing(firstB[static_cast<std::ptrdiff_t>(i)], b[i])) << i;
    if (GetParam() == dac::Kind::Idn) {
        // Configuration first, then the lead-in and a, each in two fragments; the
        // channel closed last.
        EXPECT_EQ(run.figures.log.substr(0, 5), "c1+1+");
        EXPECT_EQ(run.figures.log.back(), 'x');
        // The slots and the two blanked ends; a slot the show's clock
        // skipped on a loaded machine is told, not sent.
        EXPECT_EQ(run.recording.size(), 8u + 2u - run.outcome.status.skipped);
    } else {
        // Prepared, data before the beginning, stopped at the end.
        const std::string &log = run.figures.log;
        EXPECT_EQ(log.front(), 'p');
        EXPECT_LT(log.find('d'), log.find('b'));
        EXPECT_EQ(log.back(), 's');
    }
}

TEST_P(BothKinds, ResumesAfterTheDacDropsOut)
{
    auto emulator = Kind(GetParam());
    emulator.dropAfter = 0.3;
    const Session run = Stream(emulator, {Square(500, 100)}, 90); // 3 s
    ASSERT_EQ(run.outcome.end, dac::StreamEnd::Done) << run.outcome.message;
    EXPECT_EQ(run.outcome.status.reconnects, 1u);
    EXPECT_GT(run.figures.pointsPlayed, 30000u); // well over a second after the resume
    if (GetParam() == dac::Kind::EtherDream) {
        EXPECT_EQ(run.figures.connections, 2u);
        // Prepared on each connection, and again only after a buffer run
        // dry (a loaded machine may starve the sender).
        const auto prepares = std::count(run.figures.log.begin(), run.figures.log.end(), 'p');
        EXPECT_GE(prepares, 2);
        EXPECT_LE(prepares, 2 + static_cast<std::ptrdiff_t>(run.outcome.status.underflows));
    } else {
        // The configuration again and a blanked lead-in before the frames.
        const auto leadIns = std::count_if(run.recording.begin(), run.recording.end(), [](const auto &frame) {
            return frame.size() == 300 && std::all_of(frame.begin(), frame.end(), BlankCentre);
        });
        EXPECT_EQ(leadIns, 3); // start, resume, end
    }
}

INSTANTIATE_TEST_SUITE_P(Dacs, BothKinds, ::testing::Values(dac::Kind::EtherDream, dac::Kind::Idn),
                         [](const auto &info) { return std::string(dac::KindName(info.param)); });

TEST(EtherDreamStream, EmergencyStopEndsSendingUntilCleared)
{
    auto options = Kind(dac::Kind::EtherDream);
    options.estopAfter = 0.3;
    options.keep = true;
    emu::Emulator emulator(options);
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    dac::StreamOptions stream;
    stream.target = {dac::Kind::EtherDream, "127.0.0.1", emulator.Port()};
    std::atomic<bool> stop{false};
    dac::ShowSource show({Square(100, 50)}, true, 150); // 5 s unless stopped

    const auto first = dac::RunStream(stream, show, stop);
    EXPECT_EQ(first.end, dac::StreamEnd::EmergencyStop);
    const std::string afterStop = emulator.Figures().log;
    EXPECT_EQ(afterStop.back(), 'd'); // the refused data command was the last

    const auto again = dac::RunStream(stream, show, stop);
    EXPECT_EQ(again.end, dac::StreamEnd::EmergencyStop);
    EXPECT_EQ(emulator.Figures().log, afterStop); // not one command more

    stream.clearEstop = true;
    dac::ShowSource shortShow({Square(100, 50)}, true, 3);
    const auto cleared = dac::RunStream(stream, shortShow, stop);
    EXPECT_EQ(cleared.end, dac::StreamEnd::Done) << cleared.message;
    EXPECT_EQ(emulator.Figures().log.substr(afterStop.size(), 2), "cp");
    emulator.Stop();
}

TEST(EtherDreamStream, RefusesARateAboveTheDacsMaximumBeforeSending)
{
    dac::StreamOptions options;
    options.target = {dac::Kind::EtherDream, "127.0.0.1", 9}; // nothing is contacted
    options.rate = 40000;
    options.maxRate = 30000;
    dac::ShowSource show({Square(1, 1)}, false);
    std::atomic<bool> stop{false};
    const auto outcome = dac::RunStream(options, show, stop);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Failed);
    EXPECT_NE(outcome.message.find("maximum"), std::string::npos);
}

TEST(EtherDreamStream, AFullBufferWaitsAndAnInvalidCommandEnds)
{
    // A buffer smaller than the sender's target: it is told so and waits.
    auto small = Kind(dac::Kind::EtherDream);
    small.capacity = 300;
    const Session full = Stream(small, {Square(100, 50)}, 15);
    EXPECT_EQ(full.outcome.end, dac::StreamEnd::Done) << full.outcome.message;
    EXPECT_GT(full.figures.pointsPlayed, 14000u);

    // A rate the DAC does not take: the begin command is refused, the stream ends.
    auto slow = Kind(dac::Kind::EtherDream);
    slow.maxRate = 20000;
    const Session refused = Stream(slow, {Square(100, 50)}, 15);
    EXPECT_EQ(refused.outcome.end, dac::StreamEnd::Failed);
    EXPECT_NE(refused.outcome.message.find("begin"), std::string::npos) << refused.outcome.message;
    EXPECT_EQ(refused.figures.pointsPlayed, 0u);
}

TEST(IdnStream, KeepaliveWhileIdleAndLossEndsWhenAsked)
{
    // One frame a second: keepalives fill the gaps, the configuration with them.
    dac::StreamOptions slow;
    slow.fps = 1;
    const Session keptAlive = Stream(Kind(dac::Kind::Idn), {Square(100, 20)}, 2, slow);
    ASSERT_EQ(keptAlive.outcome.end, dac::StreamEnd::Done);
    EXPECT_GE(std::count(keptAlive.figures.log.begin(), keptAlive.figures.log.end(), 'v'), 3);
    EXPECT_EQ(keptAlive.figures.underflows, 0u);

    // The player's way: a silent unit ends the stream within about a second.
    auto silent = Kind(dac::Kind::Idn);
    silent.dropAfter = 0.2;
    dac::StreamOptions endOnLoss;
    endOnLoss.endOnLoss = true;
    const Session lost = Stream(silent, {Square(100, 20)}, 150, endOnLoss);
    EXPECT_EQ(lost.outcome.end, dac::StreamEnd::Lost);
    EXPECT_LT(lost.figures.frameArrivals.back(), 1.0); // nothing after the silence began (0.2 s)
}

TEST(Discovery, FindsBothEmulatorsOnLoopback)
{
    // The beacon goes to a port of this test's own, where discovery listens.
    const testsupport::HeldPort beacon(testsupport::HeldPort::Protocol::Udp);
    auto ed = Kind(dac::Kind::EtherDream);
    ed.broadcastTo = "127.0.0.1";
    ed.broadcastPort = beacon.Number();
    auto idn = Kind(dac::Kind::Idn);
    idn.name = "loopback idn";
    emu::Emulator etherDream(ed), idnUnit(idn);
    std::string problem;
    ASSERT_TRUE(etherDream.Start(problem) && idnUnit.Start(problem)) << problem;
    dac::DiscoveryOptions options;
    options.broadcast = false;
    options.etherDreamPort = beacon.Number();
    options.addresses = {"127.0.0.1:" + std::to_string(idnUnit.Port())};
    const auto found = dac::Discover(options, problem);
    const auto has = [&](dac::Kind kind, const std::string &name) {
        return std::any_of(found.begin(), found.end(), [&](const dac::FoundDac &d) {
            return d.kind == kind && d.address == "127.0.0.1" && (name.empty() || d.name == name);
        });
    };
    EXPECT_TRUE(has(dac::Kind::EtherDream, ""));
    EXPECT_TRUE(has(dac::Kind::Idn, "loopback idn"));
    const auto etherDreamFound =
        std::find_if(found.begin(), found.end(), [](const auto &d) { return d.kind == dac::Kind::EtherDream; });
    ASSERT_NE(etherDreamFound, found.end());
    EXPECT_EQ(etherDreamFound->capacity, 1800u);
}

} // namespace
