// The LaserCube: its byte layouts against vectors worked out by hand, and
// the sender against the emulator on loopback (on any free ports).
#include "LoopbackEmulator.h"
#include "StreamSession.h"

#include "dac/Discovery.h"
#include "dac/LaserCube.h"
#include "dac/Show.h"
#include "emulator/Emulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

namespace lc = dac::lasercube;
using Bytes = std::vector<std::uint8_t>;

using streamtest::BlankCentre;
using streamtest::Flatten;
using streamtest::Lit;
using streamtest::Session;
using streamtest::Stream;

TEST(LaserCubeLayout, DataPacketHeaderAndPoints)
{
    ilda::Point blank = Lit(-32768, 32767, 0);
    blank.status = ilda::kBlankingBit;
    const lc::Sample samples[] = {lc::FromIlda(Lit(0, 0, ilda::Rgb(255, 128, 0))), lc::FromIlda(blank)};
    const Bytes expected = {0xa9, 0x00, 0x05, 0x02,                                // data, message 5, frame 2
                            0x00, 0x08, 0x00, 0x08, 0xff, 0x0f, 0x08, 0x08, 0, 0,  // centre; 4095, 2056, 0
                            0x00, 0x00, 0xff, 0x0f, 0,    0,    0,    0,    0, 0}; // corner, dark
    EXPECT_EQ(lc::EncodeData({5, 2}, samples), expected);
    const auto header = lc::DecodeDataHeader(expected);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->message, 5);
    EXPECT_EQ(header->frame, 2);
    EXPECT_EQ(lc::DecodeSamples(expected), std::vector<lc::Sample>(std::begin(samples), std::end(samples)));
    // Twelve bits a colour back to eight, and a dark point is blanked.
    EXPECT_EQ(lc::ToIlda(samples[0]).color, ilda::Rgb(255, 128, 0));
    EXPECT_TRUE(lc::ToIlda(samples[1]).Blanked());
    EXPECT_EQ(lc::ToIlda(samples[1]).x, -32768);
}

TEST(LaserCubeLayout, Commands)
{
    EXPECT_EQ(lc::EncodeSetRate(30000), (Bytes{0x82, 0x30, 0x75, 0x00, 0x00}));
    EXPECT_EQ(lc::EncodeSwitch(lc::kSetOutput, true), (Bytes{0x80, 0x01}));
    EXPECT_EQ(lc::EncodeSwitch(lc::kEnableBufferSizeResponse, false), (Bytes{0x78, 0x00}));
    EXPECT_EQ(lc::EncodeCommand(lc::kClearRingBuffer), (Bytes{0x8d}));
}

TEST(LaserCubeLayout, FullInfoReply)
{
    Bytes reply(64, 0);
    reply[0] = 0x77;
    reply[3] = 0;
    reply[4] = 13;    // firmware 0.13
    reply[5] = 1;     // output on
    reply[10] = 0x30; // rate 30000
    reply[11] = 0x75;
    reply[14] = 0x40; // max rate 40000
    reply[15] = 0x9c;
    reply[19] = 0x70; // free 6000
    reply[20] = 0x17;
    reply[21] = 0x70; // size 6000
    reply[22] = 0x17;
    reply[25] = 3; // Wi-Fi
    reply[31] = 0xab;
    reply[32] = 10;
    reply[37] = 2;
    const std::string name = "LaserCube 2W";
    std::copy(name.begin(), name.end(), reply.begin() + 38);
    const auto info = lc::DecodeInfo(reply);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->firmwareMinor, 13);
    EXPECT_TRUE(info->outputEnabled);
    EXPECT_EQ(info->rate, 30000u);
    EXPECT_EQ(info->maxRate, 40000u);
    EXPECT_EQ(info->bufferFree, 6000);
    EXPECT_EQ(info->bufferSize, 6000);
    EXPECT_EQ(info->connection, lc::Connection::Wifi);
    EXPECT_EQ(info->serial[5], 0xab);
    EXPECT_EQ(info->ip[0], 10);
    EXPECT_EQ(info->modelNumber, 2);
    EXPECT_EQ(info->modelName, name);
    EXPECT_EQ(lc::EncodeInfo(*info), reply);
    reply.pop_back();
    EXPECT_FALSE(lc::DecodeInfo(reply)); // short
}

struct Datagram {
    const char *what;
    Bytes bytes;
    bool data;                         // a data packet a unit can read
    std::optional<std::uint16_t> free; // the room it reports
};

class LaserCubeDatagrams : public ::testing::TestWithParam<Datagram> {};

TEST_P(LaserCubeDatagrams, ReadOnlyWhenWhole)
{
    const Datagram &d = GetParam();
    EXPECT_EQ(lc::DecodeDataHeader(d.bytes).has_value(), d.data);
    EXPECT_EQ(lc::DecodeBufferFree(d.bytes), d.free);
}

Bytes DataOf(std::size_t samples)
{
    Bytes bytes(4 + samples * 10, 0);
    bytes[0] = 0xa9;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(Cases, LaserCubeDatagrams,
                         ::testing::Values(Datagram{"free after data", {0xa9, 0x70, 0x17}, false, 6000},
                                           Datagram{"free when asked", {0x8a, 0x00, 0x70, 0x17}, false, 6000},
                                           Datagram{"free cut short", {0xa9, 0x70}, false, std::nullopt},
                                           Datagram{"no samples", DataOf(0), true, std::nullopt},
                                           Datagram{"most samples", DataOf(140), true, std::nullopt},
                                           Datagram{"too many samples", DataOf(141), false, std::nullopt},
                                           Datagram{"half a sample", Bytes{0xa9, 0, 0, 0, 1, 2, 3}, false,
                                                    std::nullopt},
                                           Datagram{"another command", Bytes{0x77, 0, 0, 0}, false, std::nullopt}),
                         [](const auto &info) {
                             std::string name = info.param.what;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

// The sender against the emulator.

emu::EmulatorOptions Cube()
{
    auto o = testsupport::LoopbackEmulator(dac::Kind::LaserCube);
    o.capacity = 6000;
    return o;
}

std::vector<ilda::Point> Line(std::size_t points)
{
    std::vector<ilda::Point> out;
    for (std::size_t i = 0; i < points; ++i)
        out.push_back(Lit(static_cast<std::int16_t>(i * 160), 1600, ilda::Rgb(0, 255, 0)));
    return out;
}

TEST(LaserCubeStream, SetUpThenTheShowBetweenBlankedEndsThenOff)
{
    const auto line = Line(200); // multiples of 16: exact in 12 bits
    const Session run = Stream(Cube(), {line}, 15);
    ASSERT_EQ(run.outcome.end, dac::StreamEnd::Done) << run.outcome.message;
    EXPECT_EQ(run.figures.malformed, 0u);
    EXPECT_EQ(run.figures.underflows, 0u);
    EXPECT_EQ(run.figures.refusedFull, 0u); // never sent more than it had room for
    // Asked first, then responses on, buffer cleared, the rate, output on
    // (each twice); data; output and responses off at the end.
    const std::string &log = run.figures.log;
    EXPECT_EQ(log.substr(0, 9), "ircqorcqo") << log;
    EXPECT_LT(log.find('o'), log.find('d'));
    std::string tail = log.substr(log.find_last_of('d') + 1);
    std::erase(tail, 'i');
    EXPECT_EQ(tail, "OROR") << log;
    EXPECT_EQ(run.figures.rate, 30000.0);
    // Everything sent played, a second of show and its blanked ends.
    const auto played = Flatten(run.recording);
    ASSERT_EQ(played.size(), run.figures.pointsReceived);
    ASSERT_GE(played.size(), 15000u);
    EXPECT_TRUE(std::all_of(played.begin(), played.begin() + 300, BlankCentre));
    EXPECT_TRUE(std::all_of(played.end() - 300, played.end(), BlankCentre));
    for (std::size_t i = 0; i < line.size(); ++i) {
        const ilda::Point &p = played[300 + i];
        ASSERT_TRUE(p.x == line[i].x && p.y == line[i].y && p.color == line[i].color) << i;
    }
}

TEST(LaserCubeStream, ASmallBufferIsFilledAsFarAsItGoes)
{
    auto cube = Cube();
    cube.capacity = 100; // less than a packet: 33 ms at this rate
    dac::StreamOptions slow;
    slow.rate = 3000;
    const Session run = Stream(cube, {Line(50)}, 3, slow);
    ASSERT_EQ(run.outcome.end, dac::StreamEnd::Done) << run.outcome.message;
    EXPECT_EQ(run.figures.refusedFull, 0u);
    EXPECT_GE(run.figures.pointsPlayed, 300u); // 0.1 s of show
}

TEST(LaserCubeStream, ResumesAfterTheUnitFallsSilent)
{
    auto cube = Cube();
    cube.dropAfter = 0.3;
    const Session run = Stream(cube, {Line(100)}, 90); // 3 s
    ASSERT_EQ(run.outcome.end, dac::StreamEnd::Done) << run.outcome.message;
    EXPECT_EQ(run.outcome.status.reconnects, 1u);
    EXPECT_EQ(std::count(run.figures.log.begin(), run.figures.log.end(), 'c'), 4); // set up twice, twice each
    EXPECT_GT(run.figures.pointsPlayed, 30000u); // well over a second after the resume
}

struct Ending {
    const char *what;
    bool endOnLoss;
    std::uint64_t slots;
    double dropAfter, estopAfter;
    std::uint32_t capacity, maxRate;
    dac::StreamEnd end;
    const char *message;
};

class LaserCubeEnds : public ::testing::TestWithParam<Ending> {};

TEST_P(LaserCubeEnds, TellsWhy)
{
    const Ending &e = GetParam();
    auto cube = Cube();
    cube.dropAfter = e.dropAfter;
    cube.estopAfter = e.estopAfter;
    cube.capacity = e.capacity;
    cube.maxRate = e.maxRate;
    dac::StreamOptions options;
    options.endOnLoss = e.endOnLoss;
    const Session run = Stream(cube, {Line(100)}, e.slots, options);
    EXPECT_EQ(run.outcome.end, e.end);
    EXPECT_NE(run.outcome.message.find(e.message), std::string::npos) << run.outcome.message;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LaserCubeEnds,
    // 300 slots: 10 s unless it ends; 15: the show is over while the unit is silent.
    ::testing::Values(
        Ending{"silent", true, 300, 0.2, -1, 6000, 100000, dac::StreamEnd::Lost, "stopped answering"},
        Ending{"silent_to_the_end", false, 15, 0.2, -1, 6000, 100000, dac::StreamEnd::Lost, "show ended before"},
        Ending{"output_off", true, 300, -1, 0.3, 6000, 100000, dac::StreamEnd::EmergencyStop, "output off"},
        Ending{"no_buffer", true, 300, -1, -1, 0, 100000, dac::StreamEnd::Failed, "a buffer of 0 points"},
        Ending{"too_slow", true, 300, -1, -1, 6000, 20000, dac::StreamEnd::Failed, "maximum of 20000"}),
    [](const auto &info) { return std::string(info.param.what); });

TEST(LaserCubeDiscovery, FindsTheEmulatorAskedAtLoopback)
{
    auto cube = Cube();
    cube.name = "bench cube";
    emu::Emulator emulator(cube);
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    dac::DiscoveryOptions options;
    options.broadcast = false;  // nothing leaves this computer
    options.etherDreamPort = 0; // no other test's Ether Dream beacon
    options.timeout = std::chrono::milliseconds(600);
    options.laserCubeAddresses = {"127.0.0.1:" + std::to_string(emulator.Port())};
    const auto found = dac::Discover(options, problem);
    const auto cubeFound =
        std::find_if(found.begin(), found.end(), [](const auto &d) { return d.kind == dac::Kind::LaserCube; });
    ASSERT_NE(cubeFound, found.end());
    EXPECT_EQ(cubeFound->name.substr(0, 11), "bench cube ");
    EXPECT_EQ(cubeFound->Target(), "lasercube:127.0.0.1:" + std::to_string(emulator.Port()));
    EXPECT_EQ(cubeFound->capacity, 6000u);
    EXPECT_EQ(cubeFound->maxRate, 100000u);
    EXPECT_EQ(std::count_if(found.begin(), found.end(), [](const auto &d) { return d.kind == dac::Kind::LaserCube; }),
              1);
    // On its usual port the target is the host alone, as play takes it.
    EXPECT_EQ((dac::FoundDac{dac::Kind::LaserCube, "c", "10.0.0.2", 45457, {}, {}}.Target()), "lasercube:10.0.0.2");
}

} // namespace
