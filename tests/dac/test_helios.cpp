// The Helios: its USB messages byte for byte, and the sender against a
// fake unit on a simulated clock.
#include "RunProgram.h"
#include "TempDir.h"
#include "emulator/SimulatedHelios.h"

#include "dac/Discovery.h"
#include "dac/Helios.h"
#include "dac/HeliosSender.h"
#include "dac/Show.h"
#include "ilda/Writing.h"

#include <gtest/gtest.h>

namespace {

namespace hx = dac::helios;
using Bytes = std::vector<std::uint8_t>;

TEST(HeliosLayout, FrameIsSevenBytesAPointThenRateCountAndFlags)
{
    // Point 1: x 0x123, y 0xABC -> 0x12 (x's high 8 bits), 0x3A (x's low
    // 4 bits, then y's high 4), 0xBC (y's low 8); r, g, b, i as they are.
    // Point 2: x 4095, y 0 -> 0xFF, 0xF0, 0x00.
    // Trailer: 30,000 = 0x7530 little-endian (0x30 0x75), 2 points
    // (0x02 0x00), the single-mode flag 0x02.
    const std::vector<hx::Point> points{{0x123, 0xABC, 0x11, 0x22, 0x33, 0x44}, {4095, 0, 0, 0, 0, 0}};
    const auto frame = hx::EncodeFrame(points, 30000, hx::kSingleMode);
    ASSERT_TRUE(frame) << frame.message();
    const Bytes expected{0x12, 0x3A, 0xBC, 0x11, 0x22, 0x33, 0x44, 0xFF, 0xF0, 0x00,
                         0,    0,    0,    0,    0x30, 0x75, 0x02, 0x00, 0x02};
    EXPECT_EQ(*frame, expected);
}

TEST(HeliosLayout, ControlRequestsAndTheStatusAnswer)
{
    const auto bytes = [](std::array<std::uint8_t, 2> request) { return Bytes(request.begin(), request.end()); };
    EXPECT_EQ(bytes(hx::StatusRequest()), (Bytes{0x03, 0x00}));
    EXPECT_EQ(bytes(hx::StopRequest()), (Bytes{0x01, 0x00}));
    EXPECT_EQ(bytes(hx::ShutterRequest(true)), (Bytes{0x02, 0x01}));
    EXPECT_EQ(bytes(hx::ShutterRequest(false)), (Bytes{0x02, 0x00}));
    EXPECT_EQ(hx::ParseStatus(Bytes{0x83, 0x01}), std::optional<bool>(true));
    EXPECT_EQ(hx::ParseStatus(Bytes{0x83, 0x00}), std::optional<bool>(false));
    EXPECT_EQ(hx::ParseStatus(Bytes{0x84, 0x01}), std::nullopt); // another answer
    EXPECT_EQ(hx::ParseStatus(Bytes{0x83}), std::nullopt);
}

TEST(HeliosLayout, IldaPointsTo12BitsAndBlankedDark)
{
    ilda::Point lit;
    lit.x = -32768;
    lit.y = 32767;
    lit.color = ilda::Rgb(10, 20, 30);
    const hx::Point a = hx::FromIlda(lit);
    EXPECT_EQ(std::tie(a.x, a.y, a.r, a.g, a.b, a.i), std::make_tuple(0, 4095, 10, 20, 30, 255));
    lit.status = ilda::kBlankingBit;
    const hx::Point b = hx::FromIlda(lit);
    EXPECT_EQ(std::tie(b.r, b.g, b.b, b.i), std::make_tuple(0, 0, 0, 0));
}

struct CountCase {
    std::size_t count;
    bool allowed;
};
class HeliosCounts : public testing::TestWithParam<CountCase> {};
TEST_P(HeliosCounts, RefusesEmptyOversizeAndSizesTheFirmwareLoses)
{
    EXPECT_EQ(hx::CountAllowed(GetParam().count), GetParam().allowed);
    const std::vector<hx::Point> points(GetParam().count);
    EXPECT_EQ(hx::EncodeFrame(points, 30000).ok(), GetParam().allowed);
    if (GetParam().count >= 1 && GetParam().count <= hx::kMaxPoints) {
        EXPECT_TRUE(hx::CountAllowed(hx::AllowedCount(GetParam().count)));
    }
}
INSTANTIATE_TEST_SUITE_P(Counts, HeliosCounts,
                         testing::Values(CountCase{0, false}, CountCase{1, true}, CountCase{44, true},
                                         CountCase{45, false}, CountCase{109, false}, CountCase{4096, true},
                                         CountCase{4097, false}));

struct RateCase {
    double rate;
    bool allowed;
};
class HeliosRates : public testing::TestWithParam<RateCase> {};
TEST_P(HeliosRates, SevenTo65535)
{
    EXPECT_EQ(hx::CheckRate(GetParam().rate).ok(), GetParam().allowed);
}
INSTANTIATE_TEST_SUITE_P(Rates, HeliosRates,
                         testing::Values(RateCase{6, false}, RateCase{7, true}, RateCase{65535, true},
                                         RateCase{65536, false}));

struct TargetCase {
    const char *text;
    bool ok;
    std::size_t unit;
};
class HeliosTargets : public testing::TestWithParam<TargetCase> {};
TEST_P(HeliosTargets, UnitNumberFromZero)
{
    std::string problem;
    const auto target = dac::ParseTarget(GetParam().text, problem);
    ASSERT_EQ(target.has_value(), GetParam().ok) << problem;
    if (target)
        EXPECT_EQ(std::tie(target->kind, target->unit), std::make_tuple(dac::Kind::Helios, GetParam().unit));
    else
        EXPECT_NE(problem.find("helios"), std::string::npos);
}
TEST(HeliosTargetsListed, AreWhatPlayTakes)
{
    dac::FoundDac found;
    found.kind = dac::Kind::Helios;
    found.unit = 2;
    std::string problem;
    const auto target = dac::ParseTarget(found.Target(), problem);
    ASSERT_TRUE(target) << problem;
    EXPECT_EQ(target->unit, 2u);
}
INSTANTIATE_TEST_SUITE_P(Targets, HeliosTargets,
                         testing::Values(TargetCase{"helios", true, 0}, TargetCase{"helios:3", true, 3},
                                         TargetCase{"helios:", false, 0}, TargetCase{"helios:x", false, 0},
                                         TargetCase{"helios:-1", false, 0}));

std::vector<std::vector<ilda::Point>> Circles(int frames, int points)
{
    std::vector<std::vector<ilda::Point>> show(static_cast<std::size_t>(frames));
    for (auto &frame : show) {
        frame.resize(static_cast<std::size_t>(points));
        for (auto &p : frame)
            p.color = ilda::Rgb(255, 0, 0);
    }
    return show;
}

dac::StreamOptions HeliosOptions()
{
    dac::StreamOptions options;
    options.target.kind = dac::Kind::Helios;
    options.rate = 30000;
    options.fps = 30;
    return options;
}

TEST(HeliosSender, PollsSendsOnlyWhenReadyAndStopsAtTheEnd)
{
    emu::SimulatedHelios unit;
    dac::ShowSource source(Circles(3, 100), false);
    std::atomic<bool> stop{false};
    std::vector<std::uint64_t> slots;
    dac::StreamHooks hooks;
    hooks.onFrameSent = [&slots](std::uint64_t slot) { slots.push_back(slot); };
    const auto outcome = dac::RunHelios(HeliosOptions(), source, stop, hooks, unit);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    EXPECT_EQ(slots, (std::vector<std::uint64_t>{0, 1, 2}));
    EXPECT_EQ(unit.framesWhileFull, 0u);
    EXPECT_EQ(unit.underflows, 0u);
    ASSERT_GE(unit.writes.size(), 4u);
    EXPECT_EQ(unit.writes.front().bytes, (Bytes{0x02, 0x01})); // shutter open first
    EXPECT_EQ(unit.writes[unit.writes.size() - 2].bytes, (Bytes{0x01, 0x00}));
    EXPECT_EQ(unit.writes.back().bytes, (Bytes{0x02, 0x00}));
    // Each frame right after a status request the unit answered.
    for (std::size_t i = 1; i < unit.writes.size(); ++i) {
        if (unit.writes[i].pipe == dac::UsbPipe::Bulk) {
            EXPECT_EQ(unit.writes[i - 1].bytes, (Bytes{0x03, 0x00})) << "write " << i;
        }
    }
    // The lead-in, three slots of 1,000 points, the lead-out: all played.
    EXPECT_EQ(outcome.status.pointsSent, 300u + 3000u + 300u);
    EXPECT_EQ(unit.pointsPlayed, outcome.status.pointsSent);
}

// In a show played in step, the lead-in lasts until the start shared with
// the other DACs: the unit plays each frame as it comes.
TEST(HeliosSender, InStepItsLeadInLastsUntilTheSharedStart)
{
    emu::SimulatedHelios unit;
    dac::ShowSource source(Circles(3, 100), false);
    std::atomic<bool> stop{false};
    auto options = HeliosOptions();
    options.showStart = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    const auto outcome = dac::RunHelios(options, source, stop, {}, unit);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    // 200 ms of blanked points at 30,000 a second, less what opening took.
    EXPECT_GT(outcome.status.pointsSent, 5500u + 3000u + 300u);
    EXPECT_LE(outcome.status.pointsSent, 6000u + 3000u + 300u);
}

struct LossCase {
    bool endOnLoss;
    std::uint64_t reconnects;
};
class HeliosUnplugged : public testing::TestWithParam<LossCase> {};
// As the network DACs: a unit that comes back plays the show to its end
// (the summary counts the reconnection); one that stays away ends it lost.
TEST_P(HeliosUnplugged, ToldAndResumedOrEndedLost)
{
    emu::SimulatedHelios unit;
    unit.unplugAfterFrames = 5;
    dac::ShowSource source(Circles(1, 500), true, 90); // 3 s
    std::atomic<bool> stop{false};
    std::vector<bool> connected;
    dac::StreamHooks hooks;
    hooks.onStatus = [&connected](const dac::StreamStatus &s) { connected.push_back(s.connected); };
    auto options = HeliosOptions();
    options.endOnLoss = GetParam().endOnLoss;
    const auto outcome = dac::RunHelios(options, source, stop, hooks, unit);
    EXPECT_EQ(outcome.end, GetParam().endOnLoss ? dac::StreamEnd::Lost : dac::StreamEnd::Done);
    if (GetParam().endOnLoss) {
        EXPECT_NE(outcome.message.find("unplugged"), std::string::npos) << outcome.message;
    }
    EXPECT_EQ(outcome.status.reconnects, GetParam().reconnects);
    EXPECT_NE(std::find(connected.begin(), connected.end(), false), connected.end()); // told
    if (!GetParam().endOnLoss) {
        EXPECT_TRUE(unit.stopped); // the show went to its end on the unit come back
        EXPECT_GT(unit.frames, 60u);
    }
}
INSTANTIATE_TEST_SUITE_P(Loss, HeliosUnplugged, testing::Values(LossCase{false, 1}, LossCase{true, 0}));

// Slot 2 on at 20,000 points a second.
class RateChange : public dac::FrameSource {
public:
    const std::vector<ilda::Point> *Frame(std::uint64_t slot) override
    {
        rate_ = slot >= 2 ? 20000 : 30000;
        return slot < 4 ? &frame_ : nullptr;
    }
    double FrameRate() const override { return rate_; }

private:
    std::vector<ilda::Point> frame_ = std::vector<ilda::Point>(100);
    double rate_ = 30000;
};

TEST(HeliosSender, ARateChangeStartsAFreshFrameAtTheNewRate)
{
    emu::SimulatedHelios unit;
    RateChange source;
    std::atomic<bool> stop{false};
    const auto outcome = dac::RunHelios(HeliosOptions(), source, stop, {}, unit);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    std::vector<unsigned> rates;
    for (const auto &w : unit.writes) {
        if (w.pipe != dac::UsbPipe::Bulk)
            continue;
        const std::size_t n = w.bytes.size() - hx::kTrailerBytes;
        const unsigned rate = w.bytes[n] | w.bytes[n + 1] << 8;
        if (rates.empty() || rates.back() != rate)
            rates.push_back(rate);
    }
    EXPECT_EQ(rates, (std::vector<unsigned>{30000, 20000})); // each frame at one rate, never back
    // Lead-in 300 and two slots at 30,000; two slots (666.7 points each,
    // the 100-point frame played whole: 1,400) and the lead-out at 20,000.
    EXPECT_EQ(outcome.status.pointsSent, 300u + 2000u + 1400u + 200u);
    EXPECT_EQ(unit.pointsPlayed, outcome.status.pointsSent);
    EXPECT_EQ(unit.underflows, 0u);
}

TEST(HeliosSender, StoppedMidShowEndsBlankedAndStopsTheUnit)
{
    emu::SimulatedHelios unit;
    dac::ShowSource source(Circles(1, 500), true);
    std::atomic<bool> stop{false};
    dac::StreamHooks hooks;
    hooks.onFrameSent = [&stop](std::uint64_t slot) { stop = slot >= 10; };
    const auto outcome = dac::RunHelios(HeliosOptions(), source, stop, hooks, unit);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Stopped);
    EXPECT_TRUE(unit.stopped);
    const auto last = std::find_if(unit.writes.rbegin(), unit.writes.rend(),
                                   [](const emu::UsbWrite &w) { return w.pipe == dac::UsbPipe::Bulk; });
    ASSERT_NE(last, unit.writes.rend());
    EXPECT_EQ(last->bytes.back(), hx::kSingleMode);
    for (std::size_t at = 6; at + hx::kTrailerBytes < last->bytes.size(); at += hx::kPointBytes)
        EXPECT_EQ(last->bytes[at], 0) << "the lead-out is dark";
}

TEST(HeliosSender, NoUnitIsAClearFailure)
{
    emu::SimulatedHelios unit;
    unit.plugged = false;
    dac::ShowSource source(Circles(1, 10), false);
    std::atomic<bool> stop{false};
    const auto outcome = dac::RunHelios(HeliosOptions(), source, stop, {}, unit);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Failed);
    EXPECT_NE(outcome.message.find("no Helios unit 0"), std::string::npos) << outcome.message;
}

TEST(HeliosCommands, DacsSaysNoneAndPlayFailsClearlyWithoutAUnit)
{
    testsupport::TempDir dir("lumivex-helios");
    ilda::SectionWriter writer;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    writer.AddFrame(header, std::vector<ilda::Point>(10));
    writer.AddEndMarker(header);
    writer.SaveToFile((dir.Path() / "show.ild").string());
    const auto listed =
        testsupport::RunProgram(dir.Path(), LUMIVEX_CLI, {"dacs", "--no-broadcast", "--timeout", "0.1"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("no Helios unit plugged in"), std::string::npos) << listed.out;
    const auto played = testsupport::RunProgram(dir.Path(), LUMIVEX_CLI,
                                                {"play", "show.ild", "--dac", "helios:7", "--profile", "none"});
    EXPECT_EQ(played.exitCode, 1) << played.out;
    EXPECT_NE(played.err.find("no Helios unit 7"), std::string::npos) << played.err;
}

} // namespace
