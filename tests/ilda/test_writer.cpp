#include "ilda/IldaObj.h"
#include "ilda/Reading.h"
#include "ilda/Writing.h"
#include "rtl/Messages.h"

#include "IldaBytes.h"
#include "FileBytes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <limits>

using testsupport::Listing;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

Bytes Written(TIldaFile &file)
{
    rtl::TMemoryStream s;
    file.SaveToStream(s);
    return s.Bytes();
}

std::unique_ptr<TFrm> FrameOf(int points)
{
    auto frame = std::make_unique<TFrm>();
    for (int i = 0; i < points; ++i)
        frame->AddPoint(i, -i, i * 2, 0xFFFFFF, 0, static_cast<std::uint8_t>(i));
    return frame;
}

unsigned BE16At(const Bytes &b, std::size_t at) { return static_cast<unsigned>(b[at]) << 8 | b[at + 1]; }

} // namespace

TEST(IldaWriter, StartsEmptyWithAZeroHeader)
{
    TIldaFile file;
    EXPECT_EQ(file.Count(), 0);
    EXPECT_EQ(file.Name.Str(), "Quorvane");
    EXPECT_FALSE(file.OnProgress);
    for (std::uint8_t b : file.Header)
        EXPECT_EQ(b, 0);
}

TEST(IldaWriter, WritesTheTwoPointExampleByteForByte)
{
    TIldaFile file;
    auto frame = std::make_unique<TFrm>();
    frame->AddPoint(-32640, 32640, 0, 0xFFFF00, 0, 5);
    frame->AddPoint(32385, -32385, 0, 0xFFFF00, 0xC0, 5);
    file.Add(std::move(frame));
    EXPECT_EQ(Written(file), TwoPointExample());
    EXPECT_EQ(file.Count(), 1); // the writer changes nothing
    EXPECT_EQ(file.GetFrame(0)->Count(), 2);
}

TEST(IldaWriter, ThreeFramesGiveThreeNumberedHeaders)
{
    TIldaFile file;
    const int sizes[] = {2, 0, 5};
    for (int n : sizes)
        file.Add(FrameOf(n));
    const Bytes b = Written(file);
    ASSERT_EQ(b.size(), 96u + 8u * 7u);
    std::size_t at = 0;
    for (unsigned i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Bytes(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4), Bytes({'I', 'L', 'D', 'A'}));
        EXPECT_EQ(b[at + 7], 0); // format 0
        EXPECT_EQ(BE16At(b, at + 24), static_cast<unsigned>(sizes[i]));
        EXPECT_EQ(BE16At(b, at + 26), i);
        EXPECT_EQ(BE16At(b, at + 28), 3u);
        at += 32 + 8 * static_cast<std::size_t>(sizes[i]);
    }
}

TEST(IldaWriter, HeaderTemplateFillsTheFreeBytesButNotTheFormat)
{
    TIldaFile file;
    for (std::size_t i = 0; i < 32; ++i)
        file.Header[i] = static_cast<std::uint8_t>(0xA0 + i);
    file.Add(FrameOf(1));
    const Bytes b = Written(file);
    EXPECT_EQ(b[3], 'A');
    for (std::size_t i : {4u, 5u, 6u, 8u, 15u, 16u, 23u, 30u, 31u})
        EXPECT_EQ(b[i], 0xA0 + i) << i;
    EXPECT_EQ(b[7], 0);
    EXPECT_EQ(BE16At(b, 24), 1u);
    EXPECT_EQ(BE16At(b, 26), 0u);
    EXPECT_EQ(BE16At(b, 28), 1u);
}

TEST(IldaWriter, BlankedColourKeepsIndexAndStatusButNotColour)
{
    TIldaFile file;
    auto frame = std::make_unique<TFrm>();
    frame->AddPoint(1, 2, 3, 0x123456, 0x40, 9);
    file.Add(std::move(frame));
    const Bytes b = Written(file);
    ASSERT_EQ(b.size(), 40u);
    EXPECT_EQ(Bytes(b.begin() + 32, b.end()), Bytes({0, 1, 0, 2, 0, 3, 0x40, 9}));
}

TEST(IldaWriter, EmptyListWritesNothingAndSaysSo)
{
    rtl::MessageRecorder messages;
    TIldaFile file;
    EXPECT_TRUE(Written(file).empty());
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"There appears to be no image to save."});
}

TEST(IldaWriter, ProgressCountsTheFramesThenFinishes)
{
    TIldaFile file;
    for (int i = 0; i < 4; ++i)
        file.Add(FrameOf(1));
    std::vector<std::pair<bool, float>> calls;
    file.OnProgress = [&](bool finished, float fraction) { calls.emplace_back(finished, fraction); };
    Written(file);
    const std::vector<std::pair<bool, float>> expected = {{false, 0.0f}, {false, 0.25f}, {false, 0.5f},
                                                          {false, 0.75f}, {true, 0.0f}};
    EXPECT_EQ(calls, expected);
}

// Coordinates beyond 16 bits stop at the nearest end instead of wrapping.
class Clamping : public ::testing::TestWithParam<std::pair<std::int32_t, unsigned>> {};

TEST_P(Clamping, KeepsTheNearestRepresentableValue)
{
    TIldaFile file;
    auto frame = std::make_unique<TFrm>();
    const std::int32_t v = GetParam().first;
    frame->AddPoint(v, v, v, 0, 0, 0);
    file.Add(std::move(frame));
    const Bytes b = Written(file);
    ASSERT_EQ(b.size(), 40u);
    EXPECT_EQ(BE16At(b, 32), GetParam().second);
    EXPECT_EQ(BE16At(b, 34), GetParam().second);
    EXPECT_EQ(BE16At(b, 36), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Values, Clamping,
                         ::testing::Values(std::pair{0, 0u}, std::pair{-1, 0xFFFFu}, std::pair{32767, 0x7FFFu},
                                           std::pair{-32768, 0x8000u}, std::pair{32768, 0x7FFFu},
                                           std::pair{-32769, 0x8000u}, std::pair{65536, 0x7FFFu},
                                           std::pair{std::numeric_limits<std::int32_t>::max(), 0x7FFFu},
                                           std::pair{std::numeric_limits<std::int32_t>::min(), 0x8000u}));

TEST(IldaWriter, RefusesAFrameOfMoreThan65535Points)
{
    TIldaFile file;
    file.Add(FrameOf(3));
    file.Add(FrameOf(65536));
    rtl::TMemoryStream s;
    try {
        file.SaveToStream(s);
        FAIL() << "no error";
    } catch (const EIldaLimitError &e) {
        EXPECT_NE(e.Message().find("65535 points"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("frame 1"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(s.Size(), 0); // refused before the first byte
}

TEST(IldaWriter, TakesExactly65535PointsAndFrames)
{
    TIldaFile points;
    points.Add(FrameOf(65535));
    const Bytes b = Written(points);
    EXPECT_EQ(b.size(), 32u + 8u * 65535u);
    EXPECT_EQ(BE16At(b, 24), 65535u);

    TIldaFile frames;
    for (int i = 0; i < 65535; ++i)
        frames.Add(std::make_unique<TFrm>());
    rtl::TMemoryStream s;
    frames.SaveToStream(s);
    EXPECT_EQ(s.Size(), 32 * 65535);
    frames.Add(std::make_unique<TFrm>());
    rtl::TMemoryStream refused;
    EXPECT_THROW(frames.SaveToStream(refused), EIldaLimitError);
    EXPECT_EQ(refused.Size(), 0);
}

// ---- through SaveToFile

namespace {

// Writes its first section, then fails.
class FailingIlda : public TIldaFile {
public:
    void SaveToStream(rtl::TStream &stream) override
    {
        WriteHeader(stream, 0);
        throw rtl::EWriteError("Stream write error");
    }
};

} // namespace

TEST(IldaSaveToFile, NoFrameKeepsTheOldFileAndFails)
{
    TempDir dir;
    const std::string name = dir.File("empty.ild");
    WriteBytes(name, {1, 2, 3});
    rtl::MessageRecorder messages;
    TIldaFile file;
    EXPECT_THROW(file.SaveToFile(name, "empty.ild"), rtl::EWriteError);
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"There appears to be no image to save."});
    EXPECT_EQ(ReadBytes(name), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(file.FileName.empty());
}

TEST(IldaSaveToFile, WritesTheSameBytesAsTheStream)
{
    TempDir dir;
    TIldaFile file;
    file.Add(FrameOf(10));
    file.Add(FrameOf(3));
    const std::string name = dir.File("two.ild");
    file.SaveToFile(name);
    EXPECT_EQ(ReadBytes(name), Written(file));
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"two.ild"});
}

TEST(IldaSaveToFile, FailureHalfWayKeepsTheOldFile)
{
    TempDir dir;
    const std::string name = dir.File("show.ild");
    WriteBytes(name, TwoPointExample());
    FailingIlda file;
    file.Add(FrameOf(2));
    EXPECT_THROW(file.SaveToFile(name), rtl::EWriteError);
    EXPECT_EQ(ReadBytes(name), TwoPointExample());
    EXPECT_TRUE(file.FileName.empty());
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"show.ild"});
}

TEST(IldaSaveToFile, LimitErrorKeepsTheOldFile)
{
    TempDir dir;
    const std::string name = dir.File("big.ild");
    WriteBytes(name, TwoPointExample());
    TIldaFile file;
    file.Add(FrameOf(70000));
    EXPECT_THROW(file.SaveToFile(name), EIldaLimitError);
    EXPECT_EQ(ReadBytes(name), TwoPointExample());
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"big.ild"});
}

class IldaCannotCreate : public ::testing::TestWithParam<std::string> {};

TEST_P(IldaCannotCreate, RaisesTheCreationError)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "out");
    TIldaFile file;
    file.Add(FrameOf(1));
    const std::string name = dir.File(GetParam());
    try {
        file.SaveToFile(name);
        FAIL() << "saved into " << name;
    } catch (const rtl::EFCreateError &e) {
        EXPECT_EQ(e.Message(), "Cannot create file " + name);
    }
    EXPECT_TRUE(file.FileName.empty());
    EXPECT_EQ(Listing(dir.Path()), std::vector<std::string>{"out"});
}

INSTANTIATE_TEST_SUITE_P(Names, IldaCannotCreate, ::testing::Values("nowhere/a.ild", "out"));

// A palette section: format 2, its count, red-green-blue records; the
// indexed frame after it takes its colours from it.
TEST(SectionWriter, PaletteSectionColoursTheFramesAfterIt)
{
    ilda::SectionWriter file;
    ilda::Header header;
    const std::vector<ilda::Color> colors{ilda::Rgb(1, 2, 3), ilda::Rgb(250, 128, 7)};
    file.AddPalette(header, colors);
    ilda::Point point;
    point.colorIndex = 1;
    point.status = ilda::kLastPointBit;
    header.format = ilda::kFormat2dIndexed;
    file.AddFrame(header, std::vector<ilda::Point>{point});
    file.AddEndMarker(header);

    const Bytes &bytes = file.Bytes();
    EXPECT_EQ(bytes[7], ilda::kFormatPalette);
    EXPECT_EQ(BE16At(bytes, 24), 2u);
    EXPECT_EQ(Bytes(bytes.begin() + 32, bytes.begin() + 38), (Bytes{1, 2, 3, 250, 128, 7}));
    rtl::TMemoryStream stream(bytes);
    const ilda::Contents read = ilda::ReadAll(stream);
    ASSERT_EQ(read.frames.size(), 1u);
    EXPECT_EQ(read.frames[0].points[0].color, ilda::Rgb(250, 128, 7));
}

// Only the four point formats take a frame; any other code is refused
// before a byte is added, so no record runs past the section.
class SectionWriterFormat : public ::testing::TestWithParam<int> {};

TEST_P(SectionWriterFormat, RefusesAFrameItCannotLayOut)
{
    ilda::SectionWriter file;
    ilda::Header header;
    header.format = static_cast<std::uint8_t>(GetParam());
    EXPECT_THROW(file.AddFrame(header, std::vector<ilda::Point>(3)), EIldaFormatError);
    EXPECT_TRUE(file.Bytes().empty());
}

INSTANTIATE_TEST_SUITE_P(Codes, SectionWriterFormat, ::testing::Values(2, 3, 6, 255));
