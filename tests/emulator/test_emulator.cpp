// The emulators on loopback: the Ether Dream answers as the DAC's protocol
// says (what it refuses and why, rate changes queued with the data) and
// serves every host in turn however the one before behaves.
#include "dac/EtherDream.h"
#include "dac/Idn.h"
#include "dac/Net.h"
#include "emulator/Emulator.h"

#include "LoopbackEmulator.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>

#include <cerrno>
#include <thread>

namespace {

namespace ed = dac::etherdream;
using namespace std::chrono_literals;

class EtherDreamEmulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto options = testsupport::LoopbackEmulator();
        options.capacity = 100;
        options.maxRate = 50000;
        emulator_ = std::make_unique<emu::Emulator>(options);
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

    std::unique_ptr<emu::Emulator> emulator_;
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

TEST(IdnEmulator, AFrameMissingAFragmentIsDroppedNotGlued)
{
    auto options = testsupport::LoopbackEmulator(dac::Kind::Idn);
    options.keep = true;
    emu::Emulator emulator(options);
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    const dac::Socket socket = dac::UdpSocket();
    const auto to = *dac::Resolve("127.0.0.1", emulator.Port());
    const auto send = [&](const std::vector<std::uint8_t> &datagram) {
        ::sendto(socket.Fd(), datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
    };
    std::vector<dac::idn::Sample> samples(409); // three datagrams
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i].x = static_cast<std::int16_t>(i);
    dac::idn::FrameMessage m;
    m.config = true;
    m.duration = 10000;
    const auto lost = dac::idn::EncodeFrame(m, samples);
    ASSERT_EQ(lost.size(), 3u);
    send(lost[0]);
    send(lost[2]);
    m.sequence = 3;
    m.timestamp = 20000;
    for (const auto &datagram : dac::idn::EncodeFrame(m, samples))
        send(datagram);
    for (int i = 0; i < 200 && emulator.Figures().messages == 0; ++i)
        std::this_thread::sleep_for(10ms);
    emulator.Stop();
    EXPECT_EQ(emulator.Figures().malformed, 1u);
    const auto recording = emulator.Recording();
    ASSERT_EQ(recording.size(), 1u);
    ASSERT_EQ(recording[0].size(), samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        ASSERT_EQ(recording[0][i].x, samples[i].x);
}

// Greeted within a second: the first status the unit sends.
bool Greeted(const dac::Socket &socket)
{
    std::uint8_t bytes[ed::kResponseSize] = {};
    return socket.Valid() && dac::ReceiveExact(socket.Fd(), bytes, dac::Clock::now() + 1s) &&
           ed::DecodeResponse(bytes).has_value();
}

std::unique_ptr<emu::Emulator> StartEtherDream(double idleLimit = 5)
{
    auto options = testsupport::LoopbackEmulator();
    options.idleLimit = idleLimit;
    auto emulator = std::make_unique<emu::Emulator>(options);
    std::string problem;
    EXPECT_TRUE(emulator->Start(problem)) << problem;
    return emulator;
}

dac::Socket Connect(const emu::Emulator &emulator)
{
    return dac::TcpConnect(*dac::Resolve("127.0.0.1", emulator.Port()), 1s);
}

TEST(EtherDreamHosts, AHostRightAfterAnotherLeftIsServed)
{
    const auto emulator = StartEtherDream();
    for (int i = 0; i < 15; ++i) {
        dac::Socket socket = Connect(*emulator);
        EXPECT_TRUE(Greeted(socket)) << "connection " << i;
    }
    EXPECT_EQ(emulator->Figures().connections, 15u);
}

TEST(EtherDreamHosts, TheNextHostWaitsItsTurnInsteadOfBeingHungUpOn)
{
    const auto emulator = StartEtherDream();
    dac::Socket first = Connect(*emulator);
    ASSERT_TRUE(Greeted(first));
    const dac::Socket second = Connect(*emulator);
    ASSERT_TRUE(second.Valid());
    EXPECT_FALSE(dac::WaitReadable(second.Fd(), 100ms)); // one host at a time
    first.Close();
    EXPECT_TRUE(Greeted(second));
}

TEST(EtherDreamHosts, ASilentHostIsLetGoSoTheNextIsServed)
{
    const auto emulator = StartEtherDream(0.3);
    const dac::Socket silent = Connect(*emulator);
    ASSERT_TRUE(Greeted(silent));
    const dac::Socket next = Connect(*emulator);
    ASSERT_TRUE(dac::WaitReadable(next.Fd(), 5s));
    EXPECT_TRUE(Greeted(next));
    EXPECT_EQ(emulator->Figures().letGo, 1u);
}

// A host that sends and never reads: it is let go, and the unit still
// stops at once and serves the next host.
TEST(EtherDreamHosts, AHostThatNeverReadsIsLetGo)
{
    auto emulator = StartEtherDream();
    const dac::Socket flood = Connect(*emulator);
    ASSERT_TRUE(flood.Valid());
    ::fcntl(flood.Fd(), F_SETFL, ::fcntl(flood.Fd(), F_GETFL) | O_NONBLOCK);
    const std::vector<std::uint8_t> pings(4096, ed::kPing);
    const auto deadline = dac::Clock::now() + 20s;
    while (emulator->Figures().letGo == 0 && dac::Clock::now() < deadline) {
        if (::send(flood.Fd(), pings.data(), pings.size(), MSG_NOSIGNAL) < 0 && errno != EAGAIN)
            break; // the unit hung up
        if (errno == EAGAIN)
            std::this_thread::sleep_for(1ms);
    }
    for (int i = 0; i < 500 && emulator->Figures().letGo == 0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(emulator->Figures().letGo, 1u);
    EXPECT_TRUE(Greeted(Connect(*emulator)));
}

} // namespace
