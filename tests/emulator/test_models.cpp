// The emulators' protocol models on a clock the test sets, and the bounds
// on what they keep: no sockets, nothing timed.
#include "emulator/EtherDreamModel.h"
#include "emulator/HostClock.h"
#include "emulator/IdnModel.h"
#include "emulator/Tally.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

namespace ed = dac::etherdream;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

const dac::Clock::time_point kStart = dac::Clock::time_point{} + 1h;

std::vector<ed::Response> Responses(const Bytes &bytes)
{
    std::vector<ed::Response> out;
    for (std::size_t at = 0; at + ed::kResponseSize <= bytes.size(); at += ed::kResponseSize)
        out.push_back(*ed::DecodeResponse(std::span(bytes).subspan(at, ed::kResponseSize)));
    EXPECT_EQ(bytes.size() % ed::kResponseSize, 0u);
    return out;
}

Bytes Data(std::size_t count, std::uint16_t firstControl = 0)
{
    std::vector<ed::Point> points(count);
    points[0].control = firstControl;
    return ed::DataCommand(points);
}

Bytes Joined(std::initializer_list<Bytes> commands)
{
    Bytes out;
    for (const Bytes &c : commands)
        out.insert(out.end(), c.begin(), c.end());
    return out;
}

// Commands cut anywhere by the network are answered as if they came whole.
class EtherDreamCuts : public ::testing::TestWithParam<std::size_t> {};

TEST_P(EtherDreamCuts, AnswersTheSameWhereverTheBytesAreCut)
{
    const Bytes stream =
        Joined({{ed::kPrepare}, Data(3), ed::QueueRateCommand(500), ed::BeginCommand(0, 1000), {ed::kPing}});
    emu::EmulatorOptions options;
    emu::Tally wholeTally(false), cutTally(false);
    emu::EtherDreamModel whole(options, wholeTally, kStart), cut(options, cutTally, kStart);
    const Bytes expected = whole.Receive(stream, kStart);
    const std::size_t at = std::min(GetParam(), stream.size());
    Bytes got = cut.Receive(std::span(stream).first(at), kStart);
    const Bytes rest = cut.Receive(std::span(stream).subspan(at), kStart);
    got.insert(got.end(), rest.begin(), rest.end());
    EXPECT_EQ(got, expected);
    ASSERT_EQ(Responses(expected).size(), 5u);
    EXPECT_EQ(Responses(expected).back().status.playback, ed::Playback::Playing);
}

INSTANTIATE_TEST_SUITE_P(Emulator, EtherDreamCuts, ::testing::Values(0, 1, 2, 3, 4, 30, 57, 58, 63, 64, 65));

TEST(EtherDreamModel, PlaysAtTheRateOnTheClockItIsGivenThenRunsDry)
{
    emu::EmulatorOptions options;
    emu::Tally tally(true);
    emu::EtherDreamModel model(options, tally, kStart);
    ASSERT_EQ(Responses(model.Connect(kStart)).size(), 1u);
    model.Receive(Joined({{ed::kPrepare}, Data(10), ed::BeginCommand(0, 1000)}), kStart);
    model.Tick(kStart + 4ms);
    EXPECT_EQ(model.Status().pointCount, 4u);
    EXPECT_EQ(tally.Figures().pointsPlayed, 4u);
    model.Tick(kStart + 20ms);
    EXPECT_EQ(model.Status().playback, ed::Playback::Idle);
    EXPECT_TRUE(model.Status().playbackFlags & ed::kFlagUnderflow);
    EXPECT_EQ(tally.Figures().underflows, 1u);
    EXPECT_EQ(tally.Figures().pointsPlayed, 10u);
    ASSERT_EQ(tally.Recording().size(), 1u);
    EXPECT_EQ(tally.Recording()[0].size(), 10u);
}

// A flood of rate commands: no more are queued than points it can hold.
TEST(EtherDreamModel, QueuesNoMoreRatesThanItHoldsPoints)
{
    emu::EmulatorOptions options;
    options.capacity = 8;
    emu::Tally tally(false);
    emu::EtherDreamModel model(options, tally, kStart);
    model.Receive(Bytes{ed::kPrepare}, kStart);
    Bytes flood;
    for (int i = 0; i < 9; ++i) {
        const Bytes q = ed::QueueRateCommand(1000);
        flood.insert(flood.end(), q.begin(), q.end());
    }
    const auto answers = Responses(model.Receive(flood, kStart));
    ASSERT_EQ(answers.size(), 9u);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(answers[i].response, ed::kAck) << i;
    EXPECT_EQ(answers[8].response, ed::kNakFull);
    // A prepare empties the queue.
    model.Receive(Joined({{ed::kStop}, {ed::kPrepare}}), kStart);
    EXPECT_EQ(Responses(model.Receive(ed::QueueRateCommand(1000), kStart))[0].response, ed::kAck);
}

TEST(IdnModel, FallsSilentForASecondAndAHalfWhenToldToDrop)
{
    emu::EmulatorOptions options;
    options.kind = dac::Kind::Idn;
    options.dropAfter = 1;
    emu::Tally tally(false);
    emu::IdnModel model(options, 7255, tally, kStart);
    const Bytes ping = {dac::idn::kPingRequest, 0, 0, 1, 0xAB};
    EXPECT_EQ(model.Receive(ping, kStart)[0], dac::idn::kPingResponse);
    model.Tick(kStart + 1s);
    EXPECT_TRUE(model.Receive(ping, kStart + 2s).empty());
    const Bytes back = model.Receive(ping, kStart + 2600ms);
    ASSERT_EQ(back.size(), ping.size());
    EXPECT_EQ(back[4], 0xAB);
    EXPECT_FALSE(dac::idn::DecodeScanResponse(model.Receive(Bytes{dac::idn::kScanRequest, 0, 0, 2}, kStart + 3s))
                     ->hostName.empty());
}

// When an IDN unit that holds frames plays each: the host's stamps on the
// unit's clock, hold past the earliest arrival for its stamp.
struct Held {
    const char *name;
    double holdMs;
    std::vector<std::uint32_t> stamps; // microseconds on the host's clock
    std::vector<double> arrivals;      // milliseconds on the unit's
    std::vector<double> plays;
};

class HostClockPlays : public ::testing::TestWithParam<Held> {};

TEST_P(HostClockPlays, EachMessageWhenItsStampSays)
{
    emu::HostClock clock(GetParam().holdMs / 1000);
    for (std::size_t i = 0; i < GetParam().stamps.size(); ++i) {
        const auto arrived = kStart + std::chrono::duration_cast<dac::Clock::duration>(
                                          std::chrono::duration<double, std::milli>(GetParam().arrivals[i]));
        const double plays =
            std::chrono::duration<double, std::milli>(clock.Plays(GetParam().stamps[i], arrived) - kStart).count();
        EXPECT_NEAR(plays, GetParam().plays[i], 0.01) << i; // the relation relaxes a few µs a frame
    }
}

constexpr std::uint32_t kBeforeTheWrap = 0xFFFFFFFFu - 9999;

INSTANTIATE_TEST_SUITE_P(
    Emulator, HostClockPlays,
    ::testing::Values(
        Held{"LateArrivalsPlayOnTheirStamps",
             40,
             {0, 33333, 66666, 100000},
             {0, 58.333, 69.666, 100},
             {40, 73.333, 106.666, 140}},
        Held{"AnEarlierArrivalMovesTheRelation", 40, {0, 33333}, {10, 33.333}, {50, 73.333}},
        Held{"LaterThanTheHoldOnArrival", 40, {0, 33333}, {0, 93.333}, {40, 93.333}},
        Held{"AcrossTheFieldsWrap", 40, {kBeforeTheWrap, kBeforeTheWrap + 33333u}, {0, 33.333}, {40, 73.333}},
        Held{"AHostStartedAgainIsLearntAgain", 40, {10000000, 0}, {0, 33.333}, {40, 73.333}},
        Held{"WithoutAHoldOnArrival", 0, {0, 33333}, {5, 30}, {5, 30}}),
    [](const auto &info) { return std::string(info.param.name); });

// However long a sender floods it, what the unit keeps stays bounded.
struct Flood {
    const char *name;
    std::size_t calls;
    std::function<void(emu::Tally &)> once;
    std::function<std::size_t(const emu::Tally &)> kept;
    std::size_t most;
};

class TallyBounds : public ::testing::TestWithParam<Flood> {};

TEST_P(TallyBounds, KeepsNoMoreThanItsLimit)
{
    emu::Tally tally(true);
    for (std::size_t i = 0; i < GetParam().calls; ++i)
        GetParam().once(tally);
    EXPECT_EQ(GetParam().kept(tally), GetParam().most);
}

const ilda::Point kPoint{};

INSTANTIATE_TEST_SUITE_P(
    Emulator, TallyBounds,
    ::testing::Values(Flood{"EmptyFrames", emu::kMostKeptFrames + 10, [](emu::Tally &t) { t.KeepFrame({}); },
                            [](const emu::Tally &t) { return t.Recording().size(); }, emu::kMostKeptFrames},
                      Flood{"OnePointFrames", emu::kMostKeptFrames + 10,
                            [](emu::Tally &t) { t.KeepPoints(std::span(&kPoint, 1), 1); },
                            [](const emu::Tally &t) { return t.Recording().size(); }, emu::kMostKeptFrames},
                      Flood{"Arrivals", emu::kMostArrivals + 10, [](emu::Tally &t) { t.Arrival(0); },
                            [](const emu::Tally &t) { return t.Figures().frameArrivals.size(); }, emu::kMostArrivals},
                      Flood{"RateChanges", emu::kMostArrivals + 10, [](emu::Tally &t) { t.RateChange(0, 1); },
                            [](const emu::Tally &t) { return t.Figures().rateChanges.size(); }, emu::kMostArrivals},
                      Flood{"Log", emu::kMostLogged + 10, [](emu::Tally &t) { t.Log('v'); },
                            [](const emu::Tally &t) { return t.Figures().log.size(); }, emu::kMostLogged}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
