// The standard reading: every format against numbers worked out by hand,
// palettes and colour tables, each deviation once, and the walk that
// reads headers only or decodes one frame from its offset.
#include "ilda/Reading.h"

#include "IldaBytes.h"

#include <gtest/gtest.h>

namespace {

using ilda::Rgb;

const Bytes kEnd = IldaHeader(0, 0, 0, 0);

Bytes Raw(std::initializer_list<int> values)
{
    return Bytes(values.begin(), values.end());
}

ilda::Contents ReadBytes(const Bytes &bytes)
{
    rtl::TMemoryStream stream(bytes);
    return ilda::ReadAll(stream);
}

// A pipe: no position, no size, no seeking.
class PipeStream : public rtl::TStream {
public:
    explicit PipeStream(Bytes bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(void *buffer, std::size_t count) override
    {
        const std::size_t n = std::min(count, bytes_.size() - at_);
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), n, static_cast<std::uint8_t *>(buffer));
        at_ += n;
        return n;
    }
    std::size_t Write(const void *, std::size_t) override { return 0; }
    std::int64_t Position() const override { return -1; }
    void SetPosition(std::int64_t) override { ADD_FAILURE() << "a pipe cannot seek"; }
    std::int64_t Size() const override { return 0; }

private:
    Bytes bytes_;
    std::size_t at_ = 0;
};

// ---- one record of each format

struct FormatCase {
    const char *name;
    unsigned format;
    Bytes record;
    ilda::Point want;
};

class FormatByHand : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatByHand, DecodesToTheWorkedOutPoint)
{
    const FormatCase &c = GetParam();
    const auto contents = ReadBytes(IldaHeader(c.format, 1, 0, 1) + c.record + kEnd);
    EXPECT_TRUE(contents.outcome.errors.empty());
    ASSERT_EQ(contents.frames.size(), 1u);
    ASSERT_EQ(contents.frames[0].points.size(), 1u);
    const ilda::Point &p = contents.frames[0].points[0];
    EXPECT_EQ(p.x, c.want.x);
    EXPECT_EQ(p.y, c.want.y);
    EXPECT_EQ(p.z, c.want.z);
    EXPECT_EQ(p.status, c.want.status);
    EXPECT_EQ(p.indexed, c.want.indexed);
    EXPECT_EQ(p.colorIndex, c.want.colorIndex);
    EXPECT_EQ(p.color, c.want.color);
}

INSTANTIATE_TEST_SUITE_P(
    Records, FormatByHand,
    ::testing::Values(
        // X -32640, Y 32640, Z 7, last point, index 5: (255, 80, 0) of the default palette.
        FormatCase{"Format0",
                   0,
                   Raw({0x80, 0x80, 0x7f, 0x80, 0x00, 0x07, 0x80, 0x05}),
                   {-32640, 32640, 7, 0x80, 5, true, 0x0050FF}},
        // X 100, Y -100, index 56: white.
        FormatCase{"Format1", 1, Raw({0x00, 0x64, 0xff, 0x9c, 0x80, 0x38}), {100, -100, 0, 0x80, 56, true, 0xFFFFFF}},
        // Index 0 is red in the default palette, not black.
        FormatCase{"Format0Red", 0, Raw({0, 1, 0, 2, 0, 3, 0x80, 0}), {1, 2, 3, 0x80, 0, true, 0x0000FF}},
        // Blue 0x10, green 0x20, red 0x30 are stored in that order.
        FormatCase{"Format4",
                   4,
                   Raw({0x00, 0x01, 0xff, 0xff, 0x00, 0x02, 0x80, 0x10, 0x20, 0x30}),
                   {1, -1, 2, 0x80, 0, false, 0x102030}},
        FormatCase{"Format5",
                   5,
                   Raw({0x7f, 0xff, 0x80, 0x00, 0x80, 0xaa, 0xbb, 0xcc}),
                   {32767, -32768, 0, 0x80, 0, false, 0xAABBCC}},
        // Bit 6 blanks whatever the other bits say.
        FormatCase{"Status0xE0Blanks", 0, Raw({0, 0, 0, 0, 0, 0, 0xE0, 0}), {0, 0, 0, 0xE0, 0, true, 0}},
        FormatCase{"BlankedTrueColour", 5, Raw({0, 0, 0, 0, 0xC0, 0xaa, 0xbb, 0xcc}), {0, 0, 0, 0xC0, 0, false, 0}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- palettes and colour tables

Bytes PaletteSection(std::initializer_list<int> rgb)
{
    return IldaHeader(2, static_cast<unsigned>(rgb.size() / 3), 0, 0) + Raw(rgb);
}

Bytes Record0(int index, std::uint8_t status = 0)
{
    return Raw({0, 0, 0, 0, 0, 0, status, index});
}

// A colour table for the next frame, with the standard header or the short
// one it was first proposed with.
Bytes TableSection(bool shortHeader, std::initializer_list<int> rgb)
{
    const auto n = static_cast<int>(rgb.size() / 3);
    if (!shortHeader)
        return IldaHeader(3, static_cast<unsigned>(n), 0, 0) + Raw(rgb);
    const int length = 4 + 3 * n;
    return Raw({'I', 'L', 'D', 'A', 0, 0, 0, 3, 0, 0, 0, length, 0, 0, 0, n}) + Raw(rgb);
}

class MixedFile : public ::testing::TestWithParam<bool> {};

TEST_P(MixedFile, EachPointTakesTheColourInEffect)
{
    const Bytes bytes = IldaHeader(0, 2, 0, 4) + Record0(5) + Record0(70, 0x80) // default palette
                        + PaletteSection({1, 2, 3, 4, 5, 6, 7, 8, 9})           // three colours
                        + IldaHeader(1, 2, 1, 4) + Raw({0, 0, 0, 0, 0, 2}) + Raw({0, 0, 0, 0, 0x80, 3}) //
                        + IldaHeader(5, 1, 2, 4) + Raw({0, 0, 0, 0, 0x80, 0x33, 0x22, 0x11})            //
                        + TableSection(GetParam(), {10, 20, 30, 40, 50, 60})                            // two colours
                        + IldaHeader(0, 3, 3, 4) + Record0(1) + Record0(1, 0x40) + Record0(1, 0x80) + kEnd;
    const auto contents = ReadBytes(bytes);
    ASSERT_EQ(contents.frames.size(), 4u);
    auto colours = [&](std::size_t f) {
        std::vector<ilda::Color> c;
        for (const auto &p : contents.frames[f].points)
            c.push_back(p.color);
        return c;
    };
    // Index 70 lies beyond the default palette: nothing shows.
    EXPECT_EQ(colours(0), (std::vector<ilda::Color>{Rgb(255, 80, 0), 0}));
    EXPECT_EQ(colours(1), (std::vector<ilda::Color>{Rgb(7, 8, 9), 0}));
    EXPECT_EQ(colours(2), (std::vector<ilda::Color>{Rgb(0x11, 0x22, 0x33)}));
    // The table colours the first two points (the second is blanked), the palette the third.
    EXPECT_EQ(colours(3), (std::vector<ilda::Color>{Rgb(10, 20, 30), 0, Rgb(4, 5, 6)}));

    EXPECT_EQ(contents.frames[0].info.palette, nullptr);
    ASSERT_EQ(contents.outcome.palettes.size(), 1u);
    EXPECT_EQ(contents.frames[1].info.palette, contents.outcome.palettes[0]);
    EXPECT_EQ(contents.outcome.palettes[0]->offset, 32 + 16);
    ASSERT_NE(contents.frames[3].info.colorTable, nullptr);
    EXPECT_EQ(contents.frames[3].info.colorTable->colors.size(), 2u);
    EXPECT_TRUE(contents.outcome.endMarker);
    EXPECT_EQ(contents.outcome.end, static_cast<std::int64_t>(bytes.size()));
    EXPECT_TRUE(contents.outcome.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(TableHeaders, MixedFile, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "ShortTableHeader" : "StandardTableHeader"; });

// ---- deviations: each on its own, where it is

const Bytes kGoodFrame = IldaHeader(0, 2, 0, 1) + Record0(1) + Record0(1, 0x80);

struct DeviationCase {
    const char *name;
    Bytes bytes;
    bool error;
    std::int64_t offset;
    std::string text;
};

class Deviation : public ::testing::TestWithParam<DeviationCase> {};

TEST_P(Deviation, IsReportedOnceAtItsOffset)
{
    const DeviationCase &c = GetParam();
    const auto outcome = ReadBytes(c.bytes).outcome;
    PipeStream pipe(c.bytes);
    ilda::ReadHandler nothing;
    const auto piped = ilda::Read(pipe, nothing);
    for (const auto *read : {&outcome, &piped}) {
        const auto &list = c.error ? read->errors : read->warnings;
        EXPECT_EQ(read->warningCount + read->errorCount, 1u);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].offset, c.offset);
        EXPECT_EQ(list[0].text, c.text);
    }
}

Bytes WithByte(Bytes bytes, std::size_t at, std::uint8_t value)
{
    bytes[at] = value;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Deviation,
    ::testing::Values(
        DeviationCase{"NoEndMarker", kGoodFrame, false, 48,
                      "no end marker (a header with zero records) after the last section"},
        DeviationCase{"TotalFrames", WithByte(kGoodFrame, 29, 3) + kEnd, false, 0,
                      "total frames 3 disagrees with the 1 frame the file holds"},
        DeviationCase{"FrameNumber", WithByte(kGoodFrame, 29, 2) + WithByte(kGoodFrame, 29, 2) + kEnd, false, 48,
                      "frame number 0 where 1 was expected"},
        DeviationCase{"LastPointBitMissing", IldaHeader(0, 2, 0, 1) + Record0(1) + Record0(1) + kEnd, false, 40,
                      "the last point lacks the last-point bit (0x80)"},
        DeviationCase{"LastPointBitEarly",
                      IldaHeader(0, 3, 0, 1) + Record0(1, 0x80) + Record0(1) + Record0(1, 0x80) + kEnd, false, 32,
                      "the last-point bit (0x80) set before the last point on 1 point, the first here"},
        DeviationCase{"ReservedStatusBits",
                      IldaHeader(0, 3, 0, 1) + Record0(1) + Record0(1, 0x01) + Record0(1, 0xA0) + kEnd, false, 40,
                      "reserved status bits (0x3F) set on 2 points, the first here"},
        DeviationCase{"ReservedHeaderByte", WithByte(kGoodFrame, 31, 1) + kEnd, false, 0,
                      "reserved header bytes (4 to 6, 31) are not zero"},
        DeviationCase{"IndexBeyondPalette", IldaHeader(0, 2, 0, 1) + Record0(64) + Record0(1, 0x80) + kEnd, false, 32,
                      "colour indices beyond the 64 colours of the palette in effect on 1 point, the first here"},
        DeviationCase{"TrailingBytes", kGoodFrame + kEnd + Raw({1, 2, 3}), false, 80, "3 bytes follow the end marker"},
        DeviationCase{"PaletteOfOneColour",
                      PaletteSection({1, 2, 3}) + IldaHeader(0, 1, 0, 1) + Record0(0, 0x80) + kEnd, false, 0,
                      "a palette holds 2 to 256 colours; this one has 1"},
        DeviationCase{"UnknownFormat", kGoodFrame + IldaHeader(9, 1, 1, 1) + Record0(1), true, 48,
                      "unknown format code 9: its record size is unknown, so nothing after it can be read"},
        DeviationCase{"CutShort", IldaHeader(0, 3, 0, 1) + Record0(1) + Record0(1) + Raw({1, 2, 3}), true, 51,
                      "the file ends inside the points of frame 0: 2 of 3 read"},
        DeviationCase{"NoSignature", kGoodFrame + Raw({'I', 'L', 'D', 'B'}) + kEnd, true, 48,
                      "no section header here: \"ILDA\" expected"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StandardReading, TotalFramesIsInformational)
{
    for (const int total : {1, 10}) {
        Bytes bytes;
        for (int f = 0; f < 3; ++f)
            bytes = bytes + WithByte(WithByte(kGoodFrame, 27, static_cast<std::uint8_t>(f)), 29,
                                     static_cast<std::uint8_t>(total));
        const auto contents = ReadBytes(bytes + kEnd);
        EXPECT_EQ(contents.frames.size(), 3u) << total;
        EXPECT_TRUE(contents.outcome.errors.empty());
        ASSERT_EQ(contents.outcome.warnings.size(), 1u);
        EXPECT_EQ(contents.outcome.warnings[0].text, "total frames " + std::to_string(total) +
                                                         " disagrees with the 3 frames the file holds (in 3 headers)");
    }
}

TEST(StandardReading, FramesBeforeAnUnknownFormatAreKept)
{
    const auto contents = ReadBytes(kGoodFrame + kGoodFrame + IldaHeader(6, 1, 2, 3) + Record0(1) + kGoodFrame);
    EXPECT_EQ(contents.frames.size(), 2u);
    EXPECT_EQ(contents.outcome.end, 96);
}

// ---- the walk over headers, and one frame decoded from its offset

const Bytes &WalkFile()
{
    static const Bytes bytes = PaletteSection({1, 2, 3, 4, 5, 6}) + kGoodFrame + TableSection(false, {9, 9, 9}) +
                               IldaHeader(1, 2, 1, 1) + Raw({0, 1, 0, 1, 0, 1, 0, 2, 0, 2, 0x80, 0}) +
                               IldaHeader(4, 1, 2, 1) + Raw({0, 3, 0, 3, 0, 3, 0x80, 1, 2, 3}) +
                               IldaHeader(0, 5, 3, 1) + Record0(1) + Record0(0); // cut short
    return bytes;
}

class Walk : public ::testing::TestWithParam<bool> {};

class Frames : public ilda::ReadHandler {
public:
    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point>) override { frames.push_back(frame); }
    std::vector<ilda::FrameInfo> frames;
};

TEST_P(Walk, HeadersAloneFindTheFramesAndEachDecodesFromItsOffset)
{
    const auto full = ReadBytes(WalkFile());
    Frames walk;
    ilda::ReadOutcome outcome;
    if (GetParam()) {
        PipeStream pipe(WalkFile());
        outcome = ilda::Read(pipe, walk, {.points = false});
    } else {
        rtl::TMemoryStream stream(WalkFile());
        outcome = ilda::Read(stream, walk, {.points = false});
    }
    EXPECT_EQ(outcome.errors.size(), 1u);
    EXPECT_EQ(outcome.end, static_cast<std::int64_t>(WalkFile().size()));
    ASSERT_EQ(walk.frames.size(), 4u);
    ASSERT_EQ(full.frames.size(), 4u);
    rtl::TMemoryStream stream(WalkFile());
    for (std::size_t f = 0; f < 4; ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        const ilda::FrameInfo &info = walk.frames[f];
        EXPECT_EQ(info.offset, full.frames[f].info.offset);
        EXPECT_EQ(info.pointCount, full.frames[f].points.size());
        std::vector<ilda::Point> points(info.pointCount + 1);
        ASSERT_EQ(ilda::DecodeFrame(stream, info, points), info.pointCount);
        for (std::size_t i = 0; i < info.pointCount; ++i) {
            EXPECT_EQ(points[i].x, full.frames[f].points[i].x);
            EXPECT_EQ(points[i].color, full.frames[f].points[i].color);
        }
    }
    EXPECT_EQ(walk.frames[3].pointCount, 2u); // of 5
    EXPECT_EQ(full.frames[2].points[0].color, Rgb(3, 2, 1));
    EXPECT_EQ(full.frames[1].points[0].color, Rgb(9, 9, 9)); // the table, then the palette
    EXPECT_EQ(full.frames[1].points[1].color, Rgb(1, 2, 3));
}

INSTANTIATE_TEST_SUITE_P(Streams, Walk, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "Pipe" : "File"; });

} // namespace
