// The standard reading: records against numbers worked out by hand,
// palettes and colour tables, each deviation once, and the walk that
// reads headers only or decodes one frame from its offset. The records of
// formats 0 and 1 are TIldaFile's too, and checked by hand there.
#include "ilda/Reading.h"

#include "IldaBytes.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using ilda::Rgb;

const Bytes kEnd = IldaHeader(0, 0, 0, 0);

ilda::Contents ReadBytes(const Bytes &bytes)
{
    rtl::TMemoryStream stream(bytes);
    return ilda::ReadAll(stream);
}

// A pipe: it tells no position and cannot seek.
class PipeStream : public rtl::TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    std::int64_t Position() const override { return -1; }
    void SetPosition(std::int64_t) override { ADD_FAILURE() << "a pipe cannot seek"; }
};

// ---- one record at a time

struct FormatCase {
    const char *name;
    unsigned format;
    Bytes record;
    ilda::Point want;
};

auto Fields(const ilda::Point &p)
{
    return std::tuple(p.x, p.y, p.z, p.status, p.indexed, p.colorIndex, p.color);
}

class FormatByHand : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatByHand, DecodesToTheWorkedOutPoint)
{
    const FormatCase &c = GetParam();
    const auto contents = ReadBytes(IldaHeader(c.format, 1, 0, 1) + c.record + kEnd);
    EXPECT_TRUE(contents.outcome.errors.empty());
    ASSERT_EQ(contents.frames.size(), 1u);
    ASSERT_EQ(contents.frames[0].points.size(), 1u);
    EXPECT_EQ(Fields(contents.frames[0].points[0]), Fields(c.want));
}

INSTANTIATE_TEST_SUITE_P(
    Records, FormatByHand,
    ::testing::Values(
        // Index 0 is red in the default palette, not black.
        FormatCase{"Format0Red", 0, {0, 1, 0, 2, 0, 3, 0x80, 0}, {1, 2, 3, 0x80, 0, true, 0x0000FF}},
        // Blue 0x10, green 0x20, red 0x30 are stored in that order.
        FormatCase{
            "Format4", 4, {0, 1, 0xff, 0xff, 0, 2, 0x80, 0x10, 0x20, 0x30}, {1, -1, 2, 0x80, 0, false, 0x102030}},
        FormatCase{
            "Format5", 5, {0x7f, 0xff, 0x80, 0, 0x80, 0xaa, 0xbb, 0xcc}, {32767, -32768, 0, 0x80, 0, false, 0xAABBCC}},
        // Bit 6 blanks whatever the other bits say.
        FormatCase{"Status0xE0Blanks", 0, {0, 0, 0, 0, 0, 0, 0xE0, 0}, {0, 0, 0, 0xE0, 0, true, 0}},
        FormatCase{"BlankedTrueColour", 5, {0, 0, 0, 0, 0xC0, 0xaa, 0xbb, 0xcc}, {0, 0, 0, 0xC0, 0, false, 0}}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- palettes and colour tables

Bytes PaletteSection(const Bytes &rgb)
{
    return IldaHeader(2, static_cast<unsigned>(rgb.size() / 3), 0, 0) + rgb;
}

Bytes Record0(std::uint8_t index, std::uint8_t status = 0)
{
    return {0, 0, 0, 0, 0, 0, status, index};
}

// A colour table for the next frame, with the standard header or the short
// one it was first proposed with.
Bytes TableSection(bool shortHeader, const Bytes &rgb)
{
    const auto n = static_cast<std::uint8_t>(rgb.size() / 3);
    if (!shortHeader)
        return IldaHeader(3, n, 0, 0) + rgb;
    return Bytes{'I', 'L', 'D', 'A', 0, 0, 0, 3, 0, 0, 0, static_cast<std::uint8_t>(4 + 3 * n), 0, 0, 0, n} + rgb;
}

// Frames in formats 0, 1 and 5 under the default palette, a palette and a
// colour table.
Bytes MixedSections(bool shortTableHeader)
{
    return IldaHeader(0, 2, 0, 4) + Record0(5) + Record0(70, 0x80)                         // default palette
           + PaletteSection({1, 2, 3, 4, 5, 6, 7, 8, 9})                                   // three colours
           + IldaHeader(1, 2, 1, 4) + Bytes{0, 0, 0, 0, 0, 2} + Bytes{0, 0, 0, 0, 0x80, 3} //
           + IldaHeader(5, 1, 2, 4) + Bytes{0, 0, 0, 0, 0x80, 0x33, 0x22, 0x11}            //
           + TableSection(shortTableHeader, {10, 20, 30, 40, 50, 60})                      // two colours
           + IldaHeader(0, 3, 3, 4) + Record0(1) + Record0(1, 0x40) + Record0(1, 0x80);
}

class MixedFile : public ::testing::TestWithParam<bool> {};

TEST_P(MixedFile, EachPointTakesTheColourInEffect)
{
    const auto contents = ReadBytes(MixedSections(GetParam()) + kEnd);
    std::vector<std::vector<ilda::Color>> colours;
    for (const auto &frame : contents.frames) {
        colours.emplace_back();
        for (const auto &p : frame.points)
            colours.back().push_back(p.color);
    }
    // Indices beyond the palette in effect (70, 3) show nothing. The table
    // colours the first two points (the second is blanked), the palette the third.
    EXPECT_EQ(
        colours,
        (std::vector<std::vector<ilda::Color>>{
            {Rgb(255, 80, 0), 0}, {Rgb(7, 8, 9), 0}, {Rgb(0x11, 0x22, 0x33)}, {Rgb(10, 20, 30), 0, Rgb(4, 5, 6)}}));
    ASSERT_EQ(contents.outcome.palettes.size(), 1u);
    EXPECT_EQ(contents.outcome.palettes[0]->offset, 32 + 16);
    EXPECT_TRUE(contents.outcome.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(TableHeaders, MixedFile, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "ShortTableHeader" : "StandardTableHeader"; });

// ---- deviations: each on its own, where it is

// Frames of two points numbered from 0, each header giving the same total.
Bytes Frames(unsigned count, unsigned total)
{
    Bytes bytes;
    for (unsigned f = 0; f < count; ++f)
        bytes = bytes + IldaHeader(0, 2, f, total) + Record0(1) + Record0(1, 0x80);
    return bytes;
}

const Bytes kGoodFrame = Frames(1, 1);

using Code = ilda::DiagnosticCode;

struct DeviationCase {
    const char *name;
    Code code;
    std::int64_t frame; // the frame it concerns, -1 for none
    Bytes bytes;
    bool error;
    std::int64_t offset;
    std::string text;
    std::size_t frames = 1; // read, the deviation notwithstanding
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
        EXPECT_EQ(read->frameCount, c.frames);
        EXPECT_EQ(read->warningCount + read->errorCount, 1u);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].offset, c.offset);
        EXPECT_EQ(list[0].text, c.text);
        EXPECT_EQ(list[0].code, c.code);
        EXPECT_EQ(list[0].frame, c.frame);
        EXPECT_EQ(ilda::IsError(c.code), c.error);
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
        DeviationCase{"NoEndMarker", Code::NoEndMarker, -1, kGoodFrame, false, 48,
                      "no end marker (a header with zero records) after the last section"},
        DeviationCase{"TotalFrames", Code::TotalFrames, 0, Frames(1, 3) + kEnd, false, 0,
                      "total frames 3 disagrees with the 1 frame the file holds"},
        // The total is informational: the frames after it are read.
        DeviationCase{"TotalFramesInSeveralHeaders", Code::TotalFrames, 0, Frames(3, 1) + kEnd, false, 0,
                      "total frames 1 disagrees with the 3 frames the file holds (in 3 headers)", 3},
        DeviationCase{"FrameNumber", Code::FrameNumber, 1, Frames(1, 2) + Frames(1, 2) + kEnd, false, 48,
                      "frame number 0 where 1 was expected", 2},
        DeviationCase{"LastPointBitMissing", Code::MissingLastPoint, 0,
                      IldaHeader(0, 2, 0, 1) + Record0(1) + Record0(1) + kEnd, false, 40,
                      "the last point lacks the last-point bit (0x80)"},
        DeviationCase{"LastPointBitEarly", Code::EarlyLastPoint, 0,
                      IldaHeader(0, 3, 0, 1) + Record0(1, 0x80) + Record0(1) + Record0(1, 0x80) + kEnd, false, 32,
                      "the last-point bit (0x80) set before the last point on 1 point, the first here"},
        DeviationCase{"ReservedStatusBits", Code::ReservedStatusBits, 0,
                      IldaHeader(0, 3, 0, 1) + Record0(1) + Record0(1, 0x01) + Record0(1, 0xA0) + kEnd, false, 40,
                      "reserved status bits (0x3F) set on 2 points, the first here"},
        DeviationCase{"ReservedHeaderByte", Code::ReservedHeaderBytes, 0, WithByte(kGoodFrame, 31, 1) + kEnd, false, 0,
                      "reserved header bytes (4 to 6, 31) are not zero"},
        DeviationCase{"IndexBeyondPalette", Code::IndexBeyondPalette, 0,
                      IldaHeader(0, 2, 0, 1) + Record0(64) + Record0(1, 0x80) + kEnd, false, 32,
                      "colour indices beyond the 64 colours of the palette in effect on 1 point, the first here"},
        DeviationCase{"TrailingBytes", Code::BytesAfterEndMarker, -1, kGoodFrame + kEnd + Bytes{1, 2, 3}, false, 80,
                      "3 bytes follow the end marker"},
        DeviationCase{"PaletteOfOneColour", Code::PaletteSize, -1,
                      PaletteSection({1, 2, 3}) + IldaHeader(0, 1, 0, 1) + Record0(0, 0x80) + kEnd, false, 0,
                      "a palette holds 2 to 256 colours; this one has 1"},
        // The frames before it are kept.
        DeviationCase{"UnknownFormat", Code::UnknownFormat, -1, kGoodFrame + IldaHeader(9, 1, 1, 1) + Record0(1), true,
                      48, "unknown format code 9: its record size is unknown, so nothing after it can be read"},
        DeviationCase{"CutShort", Code::FrameCutShort, 0,
                      IldaHeader(0, 3, 0, 1) + Record0(1) + Record0(1) + Bytes{1, 2, 3}, true, 51,
                      "the file ends inside the points of frame 0: 2 of 3 read"},
        DeviationCase{"NoSignature", Code::NoSectionHeader, -1, kGoodFrame + Bytes{'I', 'L', 'D', 'B'} + kEnd, true, 48,
                      "no section header here: \"ILDA\" expected"}),
    [](const auto &info) { return std::string(info.param.name); });

// A pipe that never ends: the reading stops at the end marker all the same.
class EndlessPipe : public rtl::TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    std::int64_t Position() const override { return -1; }
    std::size_t Read(void *buffer, std::size_t count) override
    {
        const std::size_t n = TMemoryStream::Read(buffer, count);
        std::fill(static_cast<std::uint8_t *>(buffer) + n, static_cast<std::uint8_t *>(buffer) + count, 'y');
        return count;
    }
};

TEST(Walk, EndsAtTheEndMarkerOfAnEndlessPipe)
{
    EndlessPipe pipe(kGoodFrame + kEnd);
    ilda::ReadHandler nothing;
    const auto outcome = ilda::Read(pipe, nothing, {.points = false});
    EXPECT_TRUE(outcome.endMarker);
    ASSERT_EQ(outcome.warnings.size(), 1u);
    EXPECT_EQ(outcome.warnings[0].text, "more than 1048576 bytes follow the end marker");
}

TEST(Walk, StopsWhenCancelled)
{
    const std::atomic<bool> cancel = true;
    rtl::TMemoryStream stream(Frames(3, 3) + kEnd);
    ilda::ReadHandler nothing;
    const auto outcome = ilda::Read(stream, nothing, {.cancel = &cancel});
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.frameCount, 0u);
}

// ---- the walk over headers, and one frame decoded from its offset

class FrameList : public ilda::ReadHandler {
public:
    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point>) override { frames.push_back(frame); }
    std::vector<ilda::FrameInfo> frames;
};

TEST(Walk, HeadersAloneFindTheFramesAndEachDecodesFromItsOffset)
{
    const Bytes bytes = MixedSections(false) + IldaHeader(0, 5, 4, 5) + Record0(1) + Record0(0); // cut short
    const auto full = ReadBytes(bytes);
    ASSERT_EQ(full.frames.size(), 5u);
    rtl::TMemoryStream file(bytes);
    PipeStream pipe(bytes);
    for (rtl::TStream *headers : std::initializer_list<rtl::TStream *>{&file, &pipe}) {
        SCOPED_TRACE(headers == &pipe ? "pipe" : "file");
        FrameList walk;
        const auto outcome = ilda::Read(*headers, walk, {.points = false});
        EXPECT_EQ(outcome.errors.size(), 1u);
        EXPECT_EQ(outcome.end, static_cast<std::int64_t>(bytes.size()));
        ASSERT_EQ(walk.frames.size(), 5u);
        EXPECT_EQ(walk.frames[4].pointCount, 2u); // of 5
        for (std::size_t f = 0; f < 5; ++f) {
            SCOPED_TRACE("frame " + std::to_string(f));
            const ilda::FrameInfo &info = walk.frames[f];
            EXPECT_EQ(info.offset, full.frames[f].info.offset);
            EXPECT_EQ(info.pointCount, full.frames[f].points.size());
            // The palette and the colour table in effect come with the frame.
            std::vector<ilda::Point> points(info.pointCount + 1);
            ASSERT_EQ(ilda::DecodeFrame(file, info, points), info.pointCount);
            for (std::size_t i = 0; i < info.pointCount; ++i)
                EXPECT_EQ(Fields(points[i]), Fields(full.frames[f].points[i]));
        }
    }
}

} // namespace
