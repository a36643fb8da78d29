// The LaserCube model on a clock the test sets: what it answers, its ring
// buffer playing at the rate set, and when a dry buffer is an underflow.
#include "emulator/LaserCubeModel.h"

#include <gtest/gtest.h>

namespace {

namespace lc = dac::lasercube;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

const dac::Clock::time_point kStart = dac::Clock::time_point{} + 1h;

emu::EmulatorOptions Options()
{
    emu::EmulatorOptions o;
    o.kind = dac::Kind::LaserCube;
    o.capacity = 1000;
    o.maxRate = 50000;
    return o;
}

Bytes Points(std::size_t count, std::uint8_t message = 0)
{
    return lc::EncodeData({message, 0}, std::vector<lc::Sample>(count));
}

// Responses on, rate 10,000, output on.
void TurnOn(emu::LaserCubeModel &model)
{
    model.Command(lc::EncodeSwitch(lc::kEnableBufferSizeResponse, true), kStart);
    model.Command(lc::EncodeSetRate(10000), kStart);
    model.Command(lc::EncodeSwitch(lc::kSetOutput, true), kStart);
}

TEST(LaserCubeModel, AnswersCommandsAndRefusesWhatItCannotTake)
{
    emu::Tally tally(false);
    emu::LaserCubeModel model(Options(), tally, kStart);
    const auto info = lc::DecodeInfo(model.Command(lc::EncodeCommand(lc::kGetFullInfo), kStart));
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->outputEnabled);
    EXPECT_EQ(info->bufferSize, 1000);
    EXPECT_EQ(info->maxRate, 50000u);
    EXPECT_EQ(model.Command(lc::EncodeSwitch(lc::kSetOutput, true), kStart), Bytes{lc::kSetOutput});
    EXPECT_TRUE(model.Info().outputEnabled);
    // Faster than it can go, a flag of 2, a command it does not know: no answer.
    EXPECT_TRUE(model.Command(lc::EncodeSetRate(60000), kStart).empty());
    EXPECT_TRUE(model.Command(Bytes{lc::kSetOutput, 2}, kStart).empty());
    EXPECT_TRUE(model.Command(Bytes{0x42}, kStart).empty());
    EXPECT_EQ(tally.Figures().malformed, 3u);
    EXPECT_EQ(model.Info().rate, 30000u);
    // Data say nothing back until asked to.
    EXPECT_TRUE(model.Data(Points(100), kStart).empty());
    model.Command(lc::EncodeSwitch(lc::kEnableBufferSizeResponse, true), kStart);
    EXPECT_EQ(lc::DecodeBufferFree(model.Data(Points(100), kStart)), 800);
    // What does not fit is dropped, and counted.
    for (int i = 0; i < 6; ++i)
        model.Data(Points(140), kStart);
    EXPECT_EQ(model.Info().bufferFree, 0);
    EXPECT_EQ(tally.Figures().refusedFull, 1u);
    EXPECT_EQ(lc::DecodeBufferFree(model.Command(lc::EncodeCommand(lc::kGetBufferFree), kStart)), 0);
    model.Command(lc::EncodeCommand(lc::kClearRingBuffer), kStart);
    EXPECT_EQ(model.Info().bufferFree, 1000);
}

TEST(LaserCubeModel, PlaysAtItsRateAndCountsADryBufferWhenDataComeAgain)
{
    emu::Tally tally(false);
    emu::LaserCubeModel model(Options(), tally, kStart);
    TurnOn(model);
    model.Tick(kStart + 50ms); // on, but nothing sent yet: no underflow
    model.Data(Points(140), kStart + 50ms);
    model.Data(Points(140), kStart + 50ms);
    model.Tick(kStart + 60ms); // 100 points at 10,000 a second
    EXPECT_EQ(tally.Figures().pointsPlayed, 100u);
    EXPECT_EQ(model.Info().bufferFree, 1000 - 180);
    model.Tick(kStart + 200ms); // dry
    EXPECT_EQ(tally.Figures().pointsPlayed, 280u);
    EXPECT_EQ(tally.Figures().underflows, 0u); // the show may have ended
    model.Data(Points(10), kStart + 210ms);
    EXPECT_EQ(tally.Figures().underflows, 1u); // it had not
    // Output off: nothing plays.
    model.Command(lc::EncodeSwitch(lc::kSetOutput, false), kStart + 210ms);
    model.Tick(kStart + 400ms);
    EXPECT_EQ(tally.Figures().pointsPlayed, 280u);
}

TEST(LaserCubeModel, DropsAndStopsItsOutputWhenTold)
{
    auto options = Options();
    options.dropAfter = 0.1;
    options.estopAfter = 2;
    emu::Tally tally(false);
    emu::LaserCubeModel model(options, tally, kStart);
    TurnOn(model);
    model.Tick(kStart + 100ms);
    EXPECT_TRUE(model.Command(lc::EncodeCommand(lc::kGetFullInfo), kStart + 1500ms).empty());
    EXPECT_TRUE(model.Data(Points(10), kStart + 1500ms).empty());
    EXPECT_EQ(tally.Figures().pointsReceived, 0u);
    EXPECT_FALSE(model.Command(lc::EncodeCommand(lc::kGetFullInfo), kStart + 1700ms).empty());
    model.Tick(kStart + 2s);
    EXPECT_TRUE(tally.Figures().estop);
    // Its interlock holds: switching the output on again does nothing.
    model.Command(lc::EncodeSwitch(lc::kSetOutput, true), kStart + 2100ms);
    EXPECT_FALSE(model.Info().outputEnabled);
}

} // namespace
