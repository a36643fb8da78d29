// The Ether Dream emulator answers as the DAC's protocol says: what it
// refuses and why, and rate changes queued with the data.
#include "dac/Emulator.h"
#include "dac/EtherDream.h"
#include "dac/Net.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

namespace ed = dac::etherdream;
using namespace std::chrono_literals;

class EtherDreamEmulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        dac::EmulatorOptions options;
        options.broadcastTo.clear();
        options.capacity = 100;
        options.maxRate = 50000;
        emulator_ = std::make_unique<dac::Emulator>(options);
        std::string problem;
        ASSERT_TRUE(emulator_->Start(problem)) << problem;
        socket_ = dac::TcpConnect(*dac::Resolve("127.0.0.1", emulator_->Port()), 1s);
        ASSERT_TRUE(socket_.Valid());
        ASSERT_EQ(Answer().command, ed::kPing); // it speaks first
    }
    ed::Response Answer()
    {
        std::uint8_t bytes[ed::kResponseSize] = {};
        EXPECT_TRUE(dac::ReceiveExact(socket_.Fd(), bytes, dac::Clock::now() + 1s));
        return ed::DecodeResponse(bytes).value_or(ed::Response{0, 0, {}});
    }
    ed::Response Send(std::vector<std::uint8_t> command)
    {
        EXPECT_TRUE(dac::SendAll(socket_.Fd(), command));
        return Answer();
    }
    static std::vector<std::uint8_t> Data(std::size_t count, std::uint16_t firstControl = 0)
    {
        std::vector<ed::Point> points(count);
        points[0].control = firstControl;
        return ed::DataCommand(points);
    }

    std::unique_ptr<dac::Emulator> emulator_;
    dac::Socket socket_;
};

TEST_F(EtherDreamEmulator, RefusesWhatItsStateDoesNotAllow)
{
    EXPECT_EQ(Send(Data(10)).response, ed::kNakInvalid);                   // data before prepare
    EXPECT_EQ(Send(ed::BeginCommand(0, 30000)).response, ed::kNakInvalid); // begin before prepare
    EXPECT_EQ(Send({ed::kPrepare}).response, ed::kAck);
    EXPECT_EQ(Send(Data(101)).response, ed::kNakFull); // above its capacity of 100
    const auto taken = Send(Data(60));
    EXPECT_EQ(taken.response, ed::kAck);
    EXPECT_EQ(taken.status.bufferFullness, 60);
    EXPECT_EQ(Send(ed::BeginCommand(0, 60000)).response, ed::kNakInvalid); // above its maximum
    EXPECT_EQ(Send({'z'}).response, ed::kNakInvalid);
    EXPECT_EQ(Send({ed::kEmergencyStop}).status.lightEngine, ed::LightEngine::EmergencyStop);
    EXPECT_EQ(Send({ed::kPrepare}).response, ed::kNakStop);
    EXPECT_EQ(Send({ed::kClearEmergencyStop}).status.lightEngine, ed::LightEngine::Ready);
    EXPECT_EQ(Send({ed::kPrepare}).response, ed::kAck);
}

TEST_F(EtherDreamEmulator, ARateChangeStartsAtThePointThatSaysSo)
{
    ASSERT_EQ(Send({ed::kPrepare}).response, ed::kAck);
    ASSERT_EQ(Send(Data(50)).response, ed::kAck);
    ASSERT_EQ(Send(ed::QueueRateCommand(2000)).response, ed::kAck);
    ASSERT_EQ(Send(Data(50, ed::kControlRateChange)).response, ed::kAck);
    ASSERT_EQ(Send(ed::BeginCommand(0, 1000)).response, ed::kAck);
    EXPECT_EQ(Send({ed::kPing}).status.pointRate, 1000u);
    // 50 points at 1,000 a second take 50 ms; then the new rate.
    for (int i = 0; i < 100 && Send({ed::kPing}).status.pointRate != 2000u; ++i)
        std::this_thread::sleep_for(5ms);
    const auto status = Send({ed::kPing}).status;
    EXPECT_EQ(status.pointRate, 2000u);
    EXPECT_GE(status.pointCount, 50u);
}

} // namespace
