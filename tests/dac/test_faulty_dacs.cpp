// DACs that fail or lie, played by the test on loopback: the senders end,
// resume or refuse as a technician needs, and never trust what cannot be.
#include "HeldPort.h"

#include "dac/Discovery.h"
#include "dac/EtherDream.h"
#include "dac/Idn.h"
#include "dac/Net.h"
#include "dac/Show.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <algorithm>
#include <functional>
#include <thread>

namespace {

namespace ed = dac::etherdream;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

sockaddr_in Loopback(std::uint16_t port)
{
    return *dac::Resolve("127.0.0.1", port);
}

std::uint16_t PortOf(int fd)
{
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length);
    return ntohs(bound.sin_port);
}

struct Faults {
    double hangUpAfter = -1; // seconds into the first connection; later ones are closed at once
    std::uint32_t maxRate = 100000;
    bool neverPlays = false; // says it plays, keeps every point
    // Alters each answer before it goes (the command it answers is given).
    std::function<void(ed::Response &, std::uint8_t command)> lie;
};

// An Ether Dream that plays its buffer at the rate it began with, unless
// told to fail or lie.
class FakeEtherDream {
public:
    explicit FakeEtherDream(Faults faults) : faults_(std::move(faults))
    {
        listen_ = dac::TcpListen(Loopback(0));
        port_ = PortOf(listen_.Fd());
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeEtherDream()
    {
        stop_ = true;
        thread_.join();
    }
    std::uint16_t Port() const { return port_; }
    int Connections() const { return connections_; }
    // What came, a letter each (the command bytes), once the sender is gone.
    std::string Log() const { return log_; }

private:
    void Serve()
    {
        while (!stop_) {
            if (!dac::WaitReadable(listen_.Fd(), 50ms))
                continue;
            dac::Socket client(::accept(listen_.Fd(), nullptr, nullptr));
            if (++connections_ > 1 && faults_.hangUpAfter >= 0)
                continue; // gone for good: closed at once
            Talk(client);
        }
    }
    void Play(dac::Clock::time_point now)
    {
        if (status_.playback == ed::Playback::Playing && !faults_.neverPlays) {
            const double played = rate_ * std::chrono::duration<double>(now - playedAt_).count();
            buffered_ = std::max(0.0, buffered_ - played);
            if (buffered_ == 0)
                status_.playback = ed::Playback::Idle;
        }
        playedAt_ = now;
        status_.bufferFullness = static_cast<std::uint16_t>(buffered_);
    }
    std::uint8_t Apply(const Bytes &c)
    {
        const auto rate = [&](std::size_t at) {
            return static_cast<std::uint32_t>(c[at] | c[at + 1] << 8 | c[at + 2] << 16 | c[at + 3] << 24);
        };
        switch (c[0]) {
        case ed::kPrepare:
            status_.playback = ed::Playback::Prepared;
            buffered_ = 0;
            return ed::kAck;
        case ed::kStop:
            status_.playback = ed::Playback::Idle;
            buffered_ = 0;
            return ed::kAck;
        case ed::kQueueRate: return rate(1) > faults_.maxRate ? ed::kNakInvalid : ed::kAck;
        case ed::kBegin:
            if (rate(3) > faults_.maxRate || status_.playback != ed::Playback::Prepared)
                return ed::kNakInvalid;
            rate_ = rate(3);
            status_.pointRate = rate_;
            status_.playback = ed::Playback::Playing;
            return ed::kAck;
        case ed::kData: buffered_ += ed::DataCount(c.data()); return ed::kAck;
        default: return ed::kAck;
        }
    }
    bool Read(dac::Socket &client, std::size_t count, Bytes &into)
    {
        const std::size_t at = into.size();
        into.resize(at + count);
        return dac::ReceiveExact(client.Fd(), std::span(into).subspan(at), dac::Clock::now() + 2s);
    }
    void Talk(dac::Socket &client)
    {
        const auto start = dac::Clock::now();
        status_ = {};
        buffered_ = 0;
        dac::SendAll(client.Fd(), ed::EncodeResponse({ed::kAck, ed::kPing, status_}));
        for (Bytes c; !stop_ && Read(client, 1, c); c.clear()) {
            if (faults_.hangUpAfter >= 0 &&
                dac::Clock::now() - start > std::chrono::duration<double>(faults_.hangUpAfter))
                return;
            const std::size_t size = ed::CommandSize(c[0]);
            if ((size > 1 && !Read(client, size - 1, c)) ||
                (c[0] == ed::kData && !Read(client, ed::DataCount(c.data()) * ed::kPointSize, c)))
                return;
            log_ += static_cast<char>(c[0]);
            Play(dac::Clock::now());
            ed::Response response{Apply(c), c[0], {}};
            Play(dac::Clock::now());
            response.status = status_;
            if (faults_.lie)
                faults_.lie(response, c[0]);
            dac::SendAll(client.Fd(), ed::EncodeResponse(response));
        }
    }

    Faults faults_;
    dac::Socket listen_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::string log_;
    ed::Status status_;
    double buffered_ = 0, rate_ = 0;
    dac::Clock::time_point playedAt_;
    std::thread thread_;
};

std::vector<std::vector<ilda::Point>> Frames()
{
    std::vector<ilda::Point> frame(500);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i].x = static_cast<std::int16_t>(i * 20);
    return {frame};
}

dac::StreamOutcome Play(FakeEtherDream &fake, double seconds, dac::StreamOptions options = {})
{
    options.target = {dac::Kind::EtherDream, "127.0.0.1", fake.Port()};
    dac::ShowSource show(Frames(), true, static_cast<std::uint64_t>(seconds * options.fps));
    std::atomic<bool> stop{false};
    return dac::RunStream(options, show, stop);
}

TEST(FaultyEtherDream, AnHonestFakePlaysTheWholeShow)
{
    FakeEtherDream fake({});
    const auto outcome = Play(fake, 0.5);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    EXPECT_EQ(fake.Connections(), 1);
}

// A late answer is no lie: the figure in one that comes 30 ms late (a
// stall of the DAC's or of this computer) is as old as that.
TEST(FaultyEtherDream, AnAnswerThatComesLateIsStillBelieved)
{
    Faults faults;
    int answers = 0;
    faults.lie = [&answers](ed::Response &, std::uint8_t) {
        if (++answers == 300)
            std::this_thread::sleep_for(30ms);
    };
    FakeEtherDream fake(faults);
    dac::StreamOptions options;
    options.bufferSeconds = 0.100; // the stalls never run it dry
    const auto outcome = Play(fake, 3, options);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    EXPECT_EQ(outcome.status.underflows, 0u);
    EXPECT_GE(answers, 300);
}

TEST(FaultyEtherDream, OneThatHangsUpOnEveryConnectionEndsTheShowByTheClock)
{
    Faults faults;
    faults.hangUpAfter = 0.3;
    FakeEtherDream fake(faults);
    const auto outcome = Play(fake, 2);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Lost);
    EXPECT_NE(outcome.message.find("ended while the DAC was lost"), std::string::npos) << outcome.message;
    // 1.7 s without it: a few attempts a second at most.
    EXPECT_LE(fake.Connections(), 1 + 8);
    EXPECT_GE(fake.Connections(), 2);
}

struct Lie {
    const char *name;
    std::function<void(ed::Response &, std::uint8_t)> lie;
    const char *message; // part of the message it ends with
    bool neverPlays = false;
};

class LyingEtherDream : public testing::TestWithParam<Lie> {};

TEST_P(LyingEtherDream, EndsWithAMessageInsteadOfPlayingWrong)
{
    Faults faults;
    faults.lie = GetParam().lie;
    faults.neverPlays = GetParam().neverPlays;
    FakeEtherDream fake(faults);
    const auto outcome = Play(fake, 3);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Failed);
    EXPECT_NE(outcome.message.find(GetParam().message), std::string::npos) << outcome.message;
    EXPECT_NE(outcome.message.find("cannot be trusted"), std::string::npos) << outcome.message;
    // Never the whole show (90,000 points) pushed into it.
    EXPECT_LT(outcome.status.pointsSent, 60000u);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, LyingEtherDream,
    testing::Values(
        Lie{"RateZero",
            [](ed::Response &r, std::uint8_t) {
                if (r.status.playback == ed::Playback::Playing)
                    r.status.pointRate = 0;
            },
            "playing at 0 points a second"},
        Lie{"RateHuge",
            [](ed::Response &r, std::uint8_t) {
                if (r.status.playback == ed::Playback::Playing)
                    r.status.pointRate = 0xFFFFFFFFu;
            },
            "playing at 4294967295 points a second"},
        Lie{"BufferNeverPlays", nullptr, "it does not play them", true},
        Lie{"AlwaysEmpty", [](ed::Response &r, std::uint8_t) { r.status.bufferFullness = 0; }, "left to play"},
        Lie{"MorePointsThanSent", [](ed::Response &r, std::uint8_t) { r.status.bufferFullness = 60000; }, "was sent"},
        Lie{"AnswersAnotherCommand",
            [](ed::Response &r, std::uint8_t command) {
                if (command == ed::kData)
                    r.command = ed::kBegin;
            },
            "not sent"}),
    [](const testing::TestParamInfo<Lie> &info) { return std::string(info.param.name); });

TEST(FaultyEtherDream, ATinyCapacityInTheBroadcastIsNotBelieved)
{
    FakeEtherDream fake({});
    dac::StreamOptions options;
    options.capacity = 2;
    const auto outcome = Play(fake, 0.5, options);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Done) << outcome.message;
    const std::string log = fake.Log();
    // Data in commands of 2 ms of points (250 in 0.5 s), not one point each.
    EXPECT_LT(std::count(log.begin(), log.end(), 'd'), 1000);
}

TEST(FaultyEtherDream, ARateAboveItsMaximumIsRefusedBeforeAPointIsSent)
{
    Faults faults;
    faults.maxRate = 20000;
    FakeEtherDream slow(faults);
    dac::StreamOptions options;
    options.askRate = true;
    const auto refused = Play(slow, 0.5, options);
    EXPECT_EQ(refused.end, dac::StreamEnd::Failed);
    EXPECT_NE(refused.message.find("above its maximum"), std::string::npos) << refused.message;
    EXPECT_EQ(refused.status.pointsSent, 0u);
    EXPECT_EQ(slow.Log().find('d'), std::string::npos) << slow.Log();

    FakeEtherDream fast({});
    const auto played = Play(fast, 0.5, options);
    EXPECT_EQ(played.end, dac::StreamEnd::Done) << played.message;
    EXPECT_EQ(fast.Log().rfind("pqd", 0), 0u) << fast.Log(); // asked, then the points
}

// An IDN unit that answers pings (or some other way) for a while.
class FakeIdnUnit {
public:
    FakeIdnUnit(double silentAfter, bool wrongSequence = false) : silentAfter_(silentAfter), wrong_(wrongSequence)
    {
        const auto address = Loopback(0);
        socket_ = dac::UdpSocket(&address);
        port_ = PortOf(socket_.Fd());
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeIdnUnit()
    {
        stop_ = true;
        thread_.join();
    }
    std::uint16_t Port() const { return port_; }

private:
    void Serve()
    {
        const auto start = dac::Clock::now();
        std::uint8_t bytes[2048];
        while (!stop_) {
            if (!dac::WaitReadable(socket_.Fd(), 20ms))
                continue;
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t got =
                ::recvfrom(socket_.Fd(), bytes, sizeof bytes, 0, reinterpret_cast<sockaddr *>(&from), &length);
            const bool silent = dac::Clock::now() - start > std::chrono::duration<double>(silentAfter_);
            if (got < 4 || bytes[0] != dac::idn::kPingRequest || silent)
                continue;
            bytes[0] = dac::idn::kPingResponse;
            if (wrong_)
                bytes[3] ^= 0x55; // an answer to a ping never sent
            ::sendto(socket_.Fd(), bytes, static_cast<std::size_t>(got), 0, reinterpret_cast<sockaddr *>(&from),
                     length);
        }
    }
    double silentAfter_;
    bool wrong_;
    dac::Socket socket_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(FaultyIdn, AUnitThatFallsSilentIsNoticedAndTheShowEndsLost)
{
    FakeIdnUnit unit(0.5);
    dac::StreamOptions options;
    options.target = {dac::Kind::Idn, "127.0.0.1", unit.Port()};
    dac::ShowSource show(Frames(), true, 45); // 1.5 s
    std::atomic<bool> stop{false};
    std::vector<bool> told;
    dac::StreamHooks hooks;
    hooks.onStatus = [&told](const dac::StreamStatus &s) { told.push_back(s.connected); };
    const auto outcome = dac::RunStream(options, show, stop, hooks);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Lost);
    EXPECT_NE(outcome.message.find("silent"), std::string::npos) << outcome.message;
    ASSERT_FALSE(told.empty());
    EXPECT_FALSE(told.back());
    EXPECT_GT(outcome.status.skipped, 0u); // the slots it missed
}

TEST(FaultyIdn, PingAnswersToPingsNeverSentAreNoAnswer)
{
    FakeIdnUnit unit(100, true);
    dac::StreamOptions options;
    options.target = {dac::Kind::Idn, "127.0.0.1", unit.Port()};
    dac::ShowSource show(Frames(), true, 15);
    std::atomic<bool> stop{false};
    const auto outcome = dac::RunStream(options, show, stop);
    EXPECT_EQ(outcome.end, dac::StreamEnd::Failed);
    EXPECT_NE(outcome.message.find("no answer"), std::string::npos) << outcome.message;
}

TEST(Discovery, AnIdnUnitAnsweringFromManyPortsIsOneUnit)
{
    // Two units: one answers each scan from 40 ports, the other from one.
    const auto address = Loopback(0);
    dac::Socket scanned = dac::UdpSocket(&address);
    const std::uint16_t port = PortOf(scanned.Fd());
    std::thread answering([&] {
        std::uint8_t bytes[64];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        if (!dac::WaitReadable(scanned.Fd(), 2000ms))
            return;
        const ssize_t got =
            ::recvfrom(scanned.Fd(), bytes, sizeof bytes, 0, reinterpret_cast<sockaddr *>(&from), &length);
        const auto header = dac::idn::DecodePacketHeader({bytes, static_cast<std::size_t>(std::max<ssize_t>(got, 0))});
        if (!header)
            return;
        for (int unit = 0; unit < 2; ++unit)
            for (int from_port = 0; from_port < (unit == 0 ? 40 : 1); ++from_port) {
                dac::idn::ScanResponse response;
                response.unitId[0] = 7;
                response.unitId[1] = static_cast<std::uint8_t>(unit + 1);
                response.hostName = unit == 0 ? "many" : "one";
                const auto bytesOut = dac::idn::EncodeScanResponse(header->sequence, response);
                dac::Socket sender = dac::UdpSocket();
                ::sendto(sender.Fd(), bytesOut.data(), bytesOut.size(), 0, reinterpret_cast<sockaddr *>(&from), length);
            }
    });
    dac::DiscoveryOptions options;
    options.broadcast = false;
    options.etherDreamPort = 0; // not the machine's broadcast port
    options.timeout = 700ms;
    options.addresses = {"127.0.0.1:" + std::to_string(port)};
    std::string problem;
    const auto found = dac::Discover(options, problem);
    answering.join();
    ASSERT_EQ(found.size(), 2u) << problem;
    EXPECT_EQ(found[0].name, "many");
    EXPECT_EQ(found[1].name, "one");
}

} // namespace

namespace {

TEST(Discovery, SeveralListenersHereAllHearABroadcastSentToOneAddress)
{
    const testsupport::HeldPort held(testsupport::HeldPort::Protocol::Udp);
    const std::uint16_t port = held.Number();
    std::atomic<bool> done{false};
    std::thread dacUnit([&] {
        dac::Socket sender = dac::UdpSocket();
        ed::Broadcast b;
        b.bufferCapacity = 1799;
        b.maxPointRate = 54321;
        const auto bytes = ed::EncodeBroadcast(b);
        const auto to = Loopback(port);
        while (!done) {
            ::sendto(sender.Fd(), bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr *>(&to), sizeof to);
            std::this_thread::sleep_for(100ms);
        }
    });
    dac::DiscoveryOptions options;
    options.broadcast = false;
    options.etherDreamPort = port;
    options.timeout = 800ms;
    std::vector<dac::FoundDac> heard[3];
    std::vector<std::thread> listeners;
    for (auto &found : heard)
        listeners.emplace_back([&options, &found] {
            std::string problem;
            found = dac::Discover(options, problem);
        });
    for (auto &t : listeners)
        t.join();
    done = true;
    dacUnit.join();
    for (const auto &found : heard) {
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].address, "127.0.0.1");
        EXPECT_EQ(found[0].maxRate, 54321u);
    }
}

} // namespace
