#include "ilda/IldaObj.h"
#include "rtl/Messages.h"

#include "IldaBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace {

using Messages = std::vector<std::string>;

const std::string kEnd = "Unexpected end of file.";

std::uint32_t Expected(std::uint8_t status, std::uint8_t index)
{
    return (status == 0x40 || status == 0xC0) ? 0u : TIldaFile::IndexToColor(index);
}

void ExpectPoint(const TFrm &frame, int i, const IldaRecord &r, bool threeD)
{
    SCOPED_TRACE("point " + std::to_string(i));
    const TPtRec &p = frame.GetPoint(i)->Data;
    EXPECT_EQ(p.X, r.x);
    EXPECT_EQ(p.Y, r.y);
    EXPECT_EQ(p.Z, threeD ? r.z : 0);
    EXPECT_EQ(p.Status, r.status);
    EXPECT_EQ(p.ColorIndex, r.colorIndex);
    EXPECT_EQ(p.Color, Expected(r.status, r.colorIndex));
}

// A stream that fails in the middle of a read.
class BrokenStream : public rtl::TMemoryStream {
public:
    using rtl::TMemoryStream::TMemoryStream;
    std::size_t Read(void *buffer, std::size_t count) override
    {
        rtl::TMemoryStream::Read(buffer, count / 2);
        throw rtl::EReadError("device gone");
    }
};

// Counts the frames that are destroyed.
class CountedFrm : public TFrm {
public:
    explicit CountedFrm(int &deaths) : deaths_(deaths) {}
    ~CountedFrm() override { ++deaths_; }

private:
    int &deaths_;
};

} // namespace

TEST(IldaReader, ReadsTheTwoPointExample)
{
    rtl::MessageRecorder messages;
    rtl::TMemoryStream s(TwoPointExample());
    TIldaFile file;
    file.LoadFromStream(s);
    EXPECT_TRUE(messages.Messages().empty());
    ASSERT_EQ(file.Count(), 1);
    const TFrm &frame = *file.GetFrame(0);
    EXPECT_EQ(frame.Name.Str(), "Frame 0");
    ASSERT_EQ(frame.Count(), 2);
    ExpectPoint(frame, 0, {-32640, 32640, 0, 0, 5}, true);
    ExpectPoint(frame, 1, {32385, -32385, 0, 0xC0, 5}, true);
    EXPECT_EQ(frame.GetPoint(0)->Data.Color, TIldaFile::IndexToColor(5));
    EXPECT_EQ(frame.GetPoint(1)->Data.Color, 0u);
    EXPECT_EQ(s.Position(), 48);
}

TEST(IldaReader, ReadsBackWhatTheWriterWrote)
{
    std::mt19937 random(7);
    TIldaFile written;
    for (int f = 0; f < 60; ++f) {
        auto frame = std::make_unique<TFrm>();
        const int n = f == 3 ? 0 : static_cast<int>(random() % 300);
        for (int i = 0; i < n; ++i) {
            const auto status = static_cast<std::uint8_t>(std::array{0x00, 0x40, 0x80, 0xC0, 0x01}[random() % 5]);
            frame->AddPoint(static_cast<int>(random() % 65536) - 32768, static_cast<int>(random() % 65536) - 32768,
                            static_cast<int>(random() % 65536) - 32768, 0xABCDEF, status,
                            static_cast<std::uint8_t>(random()));
        }
        written.Add(std::move(frame));
    }
    rtl::TMemoryStream s;
    written.SaveToStream(s);
    s.SetPosition(0);

    rtl::MessageRecorder messages;
    TIldaFile file;
    file.LoadFromStream(s);
    EXPECT_TRUE(messages.Messages().empty());
    ASSERT_EQ(file.Count(), written.Count());
    for (int f = 0; f < file.Count(); ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        const TFrm &in = *file.GetFrame(f);
        const TFrm &out = *written.GetFrame(f);
        EXPECT_EQ(in.Name.Str(), "Frame " + std::to_string(f));
        ASSERT_EQ(in.Count(), out.Count());
        for (int i = 0; i < in.Count(); ++i) {
            const TPtRec &o = out.GetPoint(i)->Data;
            ExpectPoint(in, i, {o.X, o.Y, o.Z, o.Status, o.ColorIndex}, true);
        }
    }
    EXPECT_EQ(s.Position(), s.Size());
}

// The colour comes from the index unless the status is exactly "blanked".
class ColourRule : public ::testing::TestWithParam<std::tuple<int, int, std::uint32_t>> {};

TEST_P(ColourRule, FollowsStatusAndIndex)
{
    const auto [status, index, colour] = GetParam();
    rtl::TMemoryStream s(IldaSection(0, 0, 1, {{1, 2, 3, static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(index)}}));
    TIldaFile file;
    file.LoadFromStream(s);
    ASSERT_EQ(file.Count(), 1);
    EXPECT_EQ(file.GetFrame(0)->GetPoint(0)->Data.Color, colour);
}

INSTANTIATE_TEST_SUITE_P(
    Points, ColourRule,
    ::testing::Values(std::tuple{0x00, 5, 0xFFFF00u}, std::tuple{0x80, 5, 0xFFFF00u}, std::tuple{0x40, 5, 0u},
                      std::tuple{0xC0, 5, 0u}, std::tuple{0x41, 5, 0xFFFF00u}, std::tuple{0x00, 255, 0xFF0000u},
                      std::tuple{0x80, 255, 0xFF0000u}, std::tuple{0xC0, 255, 0u}, std::tuple{0x00, 0, 0u},
                      std::tuple{0x00, 7, 0xFFFFFFu}));

TEST(IldaReader, ReadsAFormatOneSection)
{
    Bytes bytes = IldaHeader(1, 1, 0, 1) + Bytes{0x00, 0x64, 0xff, 0x9c, 0x00, 0x07};
    rtl::TMemoryStream s(bytes);
    TIldaFile file;
    file.LoadFromStream(s);
    ASSERT_EQ(file.Count(), 1);
    ASSERT_EQ(file.GetFrame(0)->Count(), 1);
    ExpectPoint(*file.GetFrame(0), 0, {100, -100, 0, 0, 7}, false);
    EXPECT_EQ(file.GetFrame(0)->GetPoint(0)->Data.Color, PaletteColor(7));
    EXPECT_EQ(s.Position(), 38);
}

Bytes FirstBytes(const Bytes &b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<long>(n)); }

// Starts that are no ILDA header at all.
class NotIlda : public ::testing::TestWithParam<Bytes> {};

TEST_P(NotIlda, ShowsBothMessagesAndLeavesTheStreamAlone)
{
    const Bytes prefix = {1, 2, 3};
    rtl::TMemoryStream s(prefix + GetParam());
    s.SetPosition(3);
    TIldaFile file;
    file.Add(std::make_unique<TFrm>());
    bool progressed = false;
    file.OnProgress = [&](bool, float) { progressed = true; };
    rtl::MessageRecorder messages;
    file.LoadFromStream(s);
    EXPECT_EQ(messages.Messages(), (Messages{"File error.  ", "Total Frames = 0"}));
    EXPECT_EQ(file.Count(), 0);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_FALSE(progressed);
}

INSTANTIATE_TEST_SUITE_P(Starts, NotIlda,
                         ::testing::Values(IldaHeader(0, 1, 0, 1, "ILDB") + Bytes(8, 0),
                                           IldaHeader(0, 0, 0, 1, "ilda"), Bytes{},
                                           FirstBytes(IldaHeader(0, 1, 0, 1), 31),
                                           Bytes{'I', 'L', 'D', 'A'}));

TEST(IldaReader, TotalFramesZeroShowsOneMessage)
{
    rtl::TMemoryStream s(IldaSection(0, 0, 0, {{1, 1, 1, 0, 1}}));
    rtl::MessageRecorder messages;
    TIldaFile file;
    file.LoadFromStream(s);
    EXPECT_EQ(messages.Messages(), Messages{"Total Frames = 0"});
    EXPECT_EQ(file.Count(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(IldaReader, ReadsOnlyTheFramesTheFirstHeaderAnnounces)
{
    const Bytes first = IldaSection(0, 0, 3, {{1, 1, 1, 0, 1}});
    const Bytes second = IldaSection(1, 1, 9, {{2, 2, 0, 0, 2}, {3, 3, 0, 0, 3}});
    const Bytes third = IldaSection(0, 2, 0, {});
    const Bytes fourth = IldaSection(0, 3, 3, {{4, 4, 4, 0, 4}});
    rtl::TMemoryStream s(first + second + third + fourth);
    rtl::MessageRecorder messages;
    TIldaFile file;
    file.LoadFromStream(s);
    EXPECT_TRUE(messages.Messages().empty());
    ASSERT_EQ(file.Count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(file.GetFrame(i)->Name.Str(), "Frame " + std::to_string(i));
    EXPECT_EQ(file.GetFrame(1)->Count(), 2);
    EXPECT_EQ(file.GetFrame(2)->Count(), 0);
    EXPECT_EQ(s.Position(), static_cast<std::int64_t>(first.size() + second.size() + third.size()));
}

TEST(IldaReader, UnfamiliarFormatStopsAfterTheFramesBefore)
{
    const Bytes first = IldaSection(0, 0, 3, {{1, 1, 1, 0, 1}});
    Bytes second = IldaSection(0, 1, 3, {{2, 2, 2, 0, 2}});
    second[7] = 5;
    rtl::TMemoryStream s(first + second + IldaSection(0, 2, 3, {}));
    std::vector<bool> finished;
    TIldaFile file;
    file.OnProgress = [&](bool done, float) { finished.push_back(done); };
    rtl::MessageRecorder messages;
    file.LoadFromStream(s);
    EXPECT_EQ(messages.Messages(), Messages{"Unfamiliar format code."});
    ASSERT_EQ(file.Count(), 1);
    EXPECT_EQ(file.GetFrame(0)->Name.Str(), "Frame 0");
    EXPECT_EQ(s.Position(), static_cast<std::int64_t>(first.size() + 32)); // just past the offending header
    EXPECT_EQ(finished, (std::vector<bool>{false, true}));
}

TEST(IldaReader, LoadingReplacesTheFramesButNotNameOrPosition)
{
    int deaths = 0;
    TIldaFile file;
    file.Add(new CountedFrm(deaths));
    file.Add(new CountedFrm(deaths));
    file.Name.Assign("mine");
    file.FileName = "show.ild";
    file.CurFrame = 1;
    file.CurPoint = 7;
    rtl::TMemoryStream s(TwoPointExample());
    file.LoadFromStream(s);
    EXPECT_EQ(deaths, 2);
    ASSERT_EQ(file.Count(), 1);
    EXPECT_EQ(file.GetFrame(0)->Count(), 2);
    EXPECT_EQ(file.Name.Str(), "mine");
    EXPECT_EQ(file.FileName, "show.ild");
    EXPECT_EQ(file.CurFrame, 1);
    EXPECT_EQ(file.CurPoint, 7);
}

TEST(IldaReader, ProgressCountsTheFramesThenFinishes)
{
    Bytes bytes;
    for (unsigned i = 0; i < 4; ++i)
        bytes = bytes + IldaSection(0, i, 4, {{1, 1, 1, 0, 1}});
    rtl::TMemoryStream s(bytes);
    std::vector<std::pair<bool, float>> calls;
    TIldaFile file;
    file.OnProgress = [&](bool finished, float fraction) { calls.emplace_back(finished, fraction); };
    file.LoadFromStream(s);
    const std::vector<std::pair<bool, float>> expected = {{false, 0.0f}, {false, 0.25f}, {false, 0.5f},
                                                          {false, 0.75f}, {true, 0.0f}};
    EXPECT_EQ(calls, expected);
}

// A small file cut at every length: complete frames stay, a frame whose
// header is complete keeps its complete points, nothing else appears.
class Truncated : public ::testing::TestWithParam<unsigned> {};

TEST_P(Truncated, KeepsWhatWasCompleteAndSaysSoOnce)
{
    const unsigned format = GetParam();
    const std::size_t record = format == 0 ? 8 : 6;
    const std::vector<std::vector<IldaRecord>> frames = {
        {{1, -1, 5, 0, 1}, {2, -2, 6, 0x80, 2}},
        {},
        {{3, -3, 7, 0x40, 3}, {4, -4, 8, 0, 4}, {5, -5, 9, 0xC0, 5}},
    };
    Bytes whole;
    for (unsigned i = 0; i < frames.size(); ++i)
        whole = whole + IldaSection(format, i, 3, frames[i]);

    for (std::size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE("size " + std::to_string(size));
        rtl::TMemoryStream s(Bytes(whole.begin(), whole.begin() + static_cast<long>(size)));
        rtl::MessageRecorder messages;
        TIldaFile file;
        file.LoadFromStream(s);
        EXPECT_EQ(file.LoadMessages, messages.Messages()); // kept for callers as well as shown
        if (size < 32) {
            EXPECT_EQ(messages.Messages(), (Messages{"File error.  ", "Total Frames = 0"}));
            EXPECT_EQ(file.Count(), 0);
            continue;
        }
        EXPECT_EQ(messages.Messages(), Messages{kEnd});
        EXPECT_EQ(s.Position(), static_cast<std::int64_t>(size));
        // Walk the sections as far as the data goes.
        std::size_t at = 0;
        int expectedFrames = 0;
        for (std::size_t f = 0; f < frames.size() && at + 32 <= size; ++f) {
            const std::size_t have = std::min(frames[f].size(), (size - at - 32) / record);
            ++expectedFrames;
            const TFrm *frame = file.GetFrame(static_cast<int>(f));
            ASSERT_NE(frame, nullptr);
            ASSERT_EQ(frame->Count(), static_cast<int>(have));
            for (std::size_t i = 0; i < have; ++i)
                ExpectPoint(*frame, static_cast<int>(i), frames[f][i], format == 0);
            if (have < frames[f].size())
                break;
            at += 32 + record * frames[f].size();
        }
        EXPECT_EQ(file.Count(), expectedFrames);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, Truncated, ::testing::Values(0u, 1u));

TEST(IldaReader, HostileHeaderLoadsAtOnceInLittleMemory)
{
    rtl::TMemoryStream s(IldaHeader(0, 65535, 0, 65535));
    rtl::MessageRecorder messages;
    TIldaFile file;
    const auto start = std::chrono::steady_clock::now();
    file.LoadFromStream(s);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(200));
    EXPECT_EQ(messages.Messages(), Messages{kEnd});
    ASSERT_EQ(file.Count(), 1);
    EXPECT_EQ(file.GetFrame(0)->Count(), 0);
    EXPECT_EQ(file.GetFrame(0)->Points().capacity(), 0u);
}

TEST(IldaReader, HugeCountsOnAFewRecordsReserveOnlyWhatIsThere)
{
    Bytes bytes = IldaHeader(0, 65535, 0, 65535);
    for (int i = 0; i < 3; ++i)
        bytes = bytes + Bytes{0, 1, 0, 2, 0, 3, 0, 4};
    rtl::TMemoryStream s(bytes);
    rtl::MessageRecorder messages;
    TIldaFile file;
    file.LoadFromStream(s);
    ASSERT_EQ(file.Count(), 1);
    EXPECT_EQ(file.GetFrame(0)->Count(), 3);
    EXPECT_LE(file.GetFrame(0)->Points().capacity(), 3u);
}

TEST(ReadFrameCount, LooksWithoutConsuming)
{
    rtl::TMemoryStream s(Bytes{9, 9} + IldaHeader(0, 1, 0, 0xBEEF));
    s.SetPosition(2);
    rtl::MessageRecorder messages;
    EXPECT_EQ(TIldaFile::ReadFrameCount(s), 0xBEEF);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_TRUE(messages.Messages().empty());
}

TEST(ReadFrameCount, RestoresThePositionWhenTheStreamFails)
{
    BrokenStream s(Bytes{7} + IldaHeader(0, 1, 0, 1));
    s.SetPosition(1);
    EXPECT_THROW(TIldaFile::ReadFrameCount(s), rtl::EReadError);
    EXPECT_EQ(s.Position(), 1);

    TIldaFile file;
    file.Add(std::make_unique<TFrm>());
    EXPECT_THROW(file.LoadFromStream(s), rtl::EReadError);
    EXPECT_EQ(file.Count(), 0);
    EXPECT_EQ(s.Position(), 1);
}
