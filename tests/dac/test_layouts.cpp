// The protocols' byte layouts against vectors worked out by hand from the
// protocol documents.
#include "dac/EtherDream.h"
#include "dac/Idn.h"
#include "dac/Stream.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace ed = dac::etherdream;
namespace idn = dac::idn;

ilda::Point Lit(std::int16_t x, std::int16_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    ilda::Point p;
    p.x = x;
    p.y = y;
    p.color = ilda::Rgb(r, g, b);
    return p;
}

TEST(EtherDreamLayout, DataCommandCarriesPointsLittleEndianWithSixteenBitColour)
{
    const ed::Point point = ed::FromIlda(Lit(0x1234, -2, 0xFF, 0x80, 0x00));
    const Bytes expected = {'d',  0x01, 0x00, 0x00, 0x00, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF,
                            0x80, 0x80, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(ed::DataCommand(std::vector{point}), expected);
    EXPECT_EQ(ed::DecodePoint(expected.data() + 3), point);
    EXPECT_EQ(ed::BeginCommand(0, 30000), (Bytes{'b', 0x00, 0x00, 0x30, 0x75, 0x00, 0x00}));
    EXPECT_EQ(ed::QueueRateCommand(20000), (Bytes{'q', 0x20, 0x4E, 0x00, 0x00}));
}

TEST(EtherDreamLayout, ResponseAndBroadcastDecodeFieldByField)
{
    const Bytes response = {'a',  'd',  0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00,
                            0x00, 0xB0, 0x04, 0x30, 0x75, 0x00, 0x00, 0x78, 0x56, 0x34, 0x12};
    const auto decoded = ed::DecodeResponse(response);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->command, 'd');
    EXPECT_EQ(decoded->status.playback, ed::Playback::Playing);
    EXPECT_EQ(decoded->status.playbackFlags, ed::kFlagUnderflow);
    EXPECT_EQ(decoded->status.bufferFullness, 1200);
    EXPECT_EQ(decoded->status.pointRate, 30000u);
    EXPECT_EQ(decoded->status.pointCount, 0x12345678u);
    EXPECT_EQ(ed::EncodeResponse(*decoded), response);
    EXPECT_FALSE(ed::DecodeResponse(std::span(response).first(21)));

    ed::Broadcast b;
    b.mac = {1, 2, 3, 4, 5, 6};
    b.bufferCapacity = 1799;
    b.maxPointRate = 100000;
    const Bytes bytes = ed::EncodeBroadcast(b);
    ASSERT_EQ(bytes.size(), ed::kBroadcastSize);
    EXPECT_EQ(Bytes(bytes.begin() + 10, bytes.begin() + 16), (Bytes{0x07, 0x07, 0xA0, 0x86, 0x01, 0x00}));
    EXPECT_EQ(ed::DecodeBroadcast(bytes), b);
}

TEST(EtherDreamLayout, BlankedPointsGoDark)
{
    ilda::Point blanked = Lit(5, 6, 0xFF, 0xFF, 0xFF);
    blanked.status = ilda::kBlankingBit;
    const ed::Point p = ed::FromIlda(blanked);
    EXPECT_EQ(p.r | p.g | p.b | p.i, 0);
    EXPECT_TRUE(ed::ToIlda(p).Blanked());
}

TEST(IdnLayout, FrameMessageWithConfiguration)
{
    idn::FrameMessage m;
    m.config = true;
    m.timestamp = 0x00010203;
    m.duration = 100;
    m.sequence = 5;
    const std::vector<idn::Sample> samples = {{0x0102, -1, 0x10, 0x20, 0x30}, {-32768, 32767, 0, 0, 0}};
    const Bytes expected = {
        0x40, 0x00, 0x00, 0x05,                         // channel message, sequence 5
        0x00, 0x2E, 0xC0, 0x02, 0x00, 0x01, 0x02, 0x03, // 46 bytes, configuration, whole frame, timestamp
        0x04, 0x01, 0x00, 0x02,                         // 4 words, routing, default service, discrete
        0x42, 0x00, 0x40, 0x10, 0x42, 0x10, 0x40, 0x10, // X, 16 bits, Y, 16 bits
        0x52, 0x7E, 0x52, 0x14, 0x51, 0xCC, 0x00, 0x00, // red, green, blue, void
        0x00, 0x00, 0x00, 0x64,                         // 100 microseconds
        0x01, 0x02, 0xFF, 0xFF, 0x10, 0x20, 0x30,       //
        0x80, 0x00, 0x7F, 0xFF, 0x00, 0x00, 0x00};
    const auto datagrams = idn::EncodeFrame(m, samples);
    ASSERT_EQ(datagrams.size(), 1u);
    EXPECT_EQ(datagrams[0], expected);

    const auto received = idn::DecodeChannelMessage(expected);
    ASSERT_TRUE(received);
    EXPECT_TRUE(received->configValid);
    EXPECT_EQ(received->duration, 100u);
    EXPECT_EQ(idn::DecodeSamples(received->sampleBytes), samples);
}

TEST(IdnLayout, LargeFrameIsFragmentedInOrder)
{
    idn::FrameMessage m;
    m.config = true;
    m.timestamp = 1000;
    m.duration = 10000;
    m.sequence = 9;
    std::vector<idn::Sample> samples(300);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = {static_cast<std::int16_t>(i), static_cast<std::int16_t>(-static_cast<int>(i)),
                      static_cast<std::uint8_t>(i), 1, 2};
    const auto datagrams = idn::EncodeFrame(m, samples);
    // 36 bytes of headers and 2,100 of samples: a full first datagram, a sequel.
    ASSERT_EQ(datagrams.size(), 2u);
    EXPECT_EQ(datagrams[0].size(), idn::kMaxDatagram);
    EXPECT_EQ(datagrams[1].size(), 4u + 8u + (36u + 2100u - idn::kMaxDatagram));
    const auto first = idn::DecodeChannelMessage(datagrams[0]);
    const auto sequel = idn::DecodeChannelMessage(datagrams[1]);
    ASSERT_TRUE(first && sequel);
    EXPECT_EQ(first->chunk, idn::kChunkFrameFirst);
    EXPECT_TRUE(first->configOrLast);
    EXPECT_EQ(sequel->chunk, idn::kChunkFrameSequel);
    EXPECT_TRUE(sequel->configOrLast); // the last fragment
    EXPECT_EQ(sequel->sequence, 10);
    EXPECT_EQ(sequel->timestamp, 1001u);
    // The samples' bytes run on across the cut.
    std::vector<std::uint8_t> joined(first->sampleBytes.begin(), first->sampleBytes.end());
    joined.insert(joined.end(), sequel->sampleBytes.begin(), sequel->sampleBytes.end());
    EXPECT_EQ(idn::DecodeSamples(joined), samples);
}

TEST(IdnLayout, ScanResponseAndMalformedMessages)
{
    idn::ScanResponse r;
    r.hostName = "a name longer than twenty bytes";
    const Bytes bytes = idn::EncodeScanResponse(7, r);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes[0], idn::kScanResponse);
    EXPECT_EQ(bytes[3], 7);
    EXPECT_EQ(bytes[4], 40);
    EXPECT_EQ(idn::DecodeScanResponse(bytes)->hostName, "a name longer than t");

    Bytes truncated = {0x40, 0, 0, 1, 0x00, 0x30, 0xC0, 0x02, 0, 0, 0, 0, 0x04};
    EXPECT_FALSE(idn::DecodeChannelMessage(truncated)); // says 48 bytes, has 9
}

} // namespace

namespace {

TEST(TargetText, KindHostAndPort)
{
    struct Case {
        const char *text;
        bool valid;
        dac::Kind kind;
        const char *host;
        std::uint16_t port;
    };
    const Case cases[] = {
        {"etherdream:10.0.0.5", true, dac::Kind::EtherDream, "10.0.0.5", 7765},
        {"idn:laser.local", true, dac::Kind::Idn, "laser.local", 7255},
        {"idn:127.0.0.1:17255", true, dac::Kind::Idn, "127.0.0.1", 17255},
        {"lasercube:192.168.1.20", true, dac::Kind::LaserCube, "192.168.1.20", 45457},
        {"lasercube:", false, {}, "", 0},
        {"etherdream:", false, {}, "", 0},
        {"etherdream:host:0", false, {}, "", 0},
        {"etherdream:host:70000", false, {}, "", 0},
        {"helios:host", false, {}, "", 0},
        {"127.0.0.1", false, {}, "", 0},
    };
    for (const Case &c : cases) {
        std::string problem;
        const auto target = dac::ParseTarget(c.text, problem);
        ASSERT_EQ(target.has_value(), c.valid) << c.text;
        if (!c.valid) {
            EXPECT_FALSE(problem.empty()) << c.text;
            continue;
        }
        EXPECT_EQ(target->kind, c.kind);
        EXPECT_EQ(target->host, c.host);
        EXPECT_EQ(target->port, c.port);
    }
}

TEST(IdnLayout, AConfigurationWeCannotReadIsFlagged)
{
    idn::FrameMessage m;
    m.config = true;
    auto datagram = idn::EncodeFrame(m, std::vector<idn::Sample>(1)).front();
    datagram[4 + 8 + 3] = 0x01; // continuous mode instead of frames
    const auto received = idn::DecodeChannelMessage(datagram);
    ASSERT_TRUE(received);
    EXPECT_FALSE(received->configValid);
}

} // namespace

namespace {

// Frames cut where a datagram's 1,454 bytes run out: each size on either
// side of a cut reassembles to its samples, in order, whole.
TEST(IdnLayout, FramesAtTheDatagramBoundaryReassemble)
{
    struct Case {
        bool config;
        std::size_t samples, datagrams;
    };
    // 36 bytes before the samples with the configuration (16 without), 12
    // before a sequel's; a sample is 7 bytes.
    const Case cases[] = {{true, 1, 1},   {true, 202, 1},  {true, 203, 2},  {true, 408, 2},
                          {true, 409, 3}, {false, 205, 1}, {false, 206, 2}, {true, 1000, 5}};
    for (const Case &c : cases) {
        idn::FrameMessage m;
        m.config = c.config;
        m.sequence = 65535; // the sequels' numbers wrap
        std::vector<idn::Sample> samples(c.samples);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = {static_cast<std::int16_t>(i * 31), static_cast<std::int16_t>(-static_cast<int>(i)),
                          static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 7};
        const auto datagrams = idn::EncodeFrame(m, samples);
        ASSERT_EQ(datagrams.size(), c.datagrams) << c.samples;
        std::vector<std::uint8_t> joined;
        for (std::size_t d = 0; d < datagrams.size(); ++d) {
            ASSERT_LE(datagrams[d].size(), idn::kMaxDatagram) << c.samples;
            const auto r = idn::DecodeChannelMessage(datagrams[d]);
            ASSERT_TRUE(r) << c.samples << " datagram " << d;
            EXPECT_EQ(r->sequence, static_cast<std::uint16_t>(65535 + d));
            const std::uint8_t chunk = datagrams.size() == 1 ? idn::kChunkFrame
                                       : d == 0              ? idn::kChunkFrameFirst
                                                             : idn::kChunkFrameSequel;
            EXPECT_EQ(r->chunk, chunk) << c.samples << " datagram " << d;
            if (d > 0) {
                EXPECT_EQ(r->configOrLast, d + 1 == datagrams.size()) << c.samples << " datagram " << d;
            }
            joined.insert(joined.end(), r->sampleBytes.begin(), r->sampleBytes.end());
        }
        EXPECT_EQ(idn::DecodeSamples(joined), samples) << c.samples;
    }
}

} // namespace
