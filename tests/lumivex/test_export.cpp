#include "lumivex/Export.h"

#include "PointFileBytes.h"
#include "rtl/Classes.h"
#include "rtl/Messages.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using test::MakePointFile;

// Decodes a file whose samples are xs/ys and builds its export.
std::unique_ptr<TIldaFile> exportOf(const std::vector<std::uint8_t> &xs, const std::vector<std::uint8_t> &ys,
                                    TColor color = clRed)
{
    const auto count = static_cast<unsigned>(xs.size() - 1);
    const PointFile file =
        DecodePointFile(MakePointFile(static_cast<std::uint8_t>(count / 255), static_cast<std::uint8_t>(count % 255),
                                      xs.size(), [&](std::size_t k) { return xs[k]; },
                                      [&](std::size_t k) { return ys[k]; }));
    EXPECT_TRUE(file.accepted()) << file.message;
    return BuildIldaExport(file.xBuf, file.yBuf, file.ptCount, color);
}

std::vector<std::uint8_t> padded(std::vector<std::uint8_t> first, std::size_t size)
{
    first.resize(size, 0);
    return first;
}

// ---- How many points, which is last

struct CountCase {
    std::uint16_t ptCount;
    int points;
};

class ExportCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(ExportCount, PlottedSamplesWithTheLastMarked)
{
    const CountCase &c = GetParam();
    SampleBuffer xs{}, ys{};
    const auto file = BuildIldaExport(xs, ys, c.ptCount, clRed);
    ASSERT_EQ(file->Count(), 1);
    const TFrm *frame = file->GetFrame(0);
    ASSERT_EQ(frame->Count(), c.points);
    for (int i = 0; i < c.points; ++i)
        EXPECT_EQ(frame->GetPoint(i)->Data.Status, i + 1 == c.points ? 192 : 0) << i;
}

INSTANTIATE_TEST_SUITE_P(Counts, ExportCount,
                         ::testing::Values(CountCase{0, 0}, CountCase{9, 0}, CountCase{10, 1}, CountCase{11, 2},
                                           CountCase{600, 591}, CountCase{2000, 1991},
                                           // A rejected count left behind: only the stored samples.
                                           CountCase{2001, 1992}, CountCase{65280, 2001}));

// ---- Coordinates

struct CoordCase {
    std::uint8_t raw;
    std::int32_t x;
    std::int32_t y;
};

class ExportCoordinate : public ::testing::TestWithParam<CoordCase> {};

TEST_P(ExportCoordinate, RawByteTimes255)
{
    const CoordCase &c = GetParam();
    // N = 11: two points exported, the first carrying the raw byte.
    const auto file = exportOf(padded({c.raw}, 12), padded({c.raw}, 12));
    const TFrm *frame = file->GetFrame(0);
    ASSERT_EQ(frame->Count(), 2);
    const TPtRec &p = frame->GetPoint(0)->Data;
    EXPECT_EQ(p.X, c.x);
    EXPECT_EQ(p.Y, c.y);
    EXPECT_EQ(p.Z, 0);
    EXPECT_EQ(frame->GetPoint(1)->Data.X, 0);
    EXPECT_EQ(frame->GetPoint(1)->Data.Y, 0);
}

INSTANTIATE_TEST_SUITE_P(Bytes, ExportCoordinate,
                         ::testing::Values(CoordCase{0x00, 0, 0}, CoordCase{0x7F, 32385, 32385},
                                           CoordCase{0x80, -32640, 32640}, CoordCase{0xFF, -255, -255},
                                           CoordCase{0x81, -32385, -32385}, CoordCase{0x01, 255, 255}));

// ---- Colour and colour index of every point

struct ColorCase {
    TColor color;
    std::uint8_t index;
};

class ExportColor : public ::testing::TestWithParam<ColorCase> {};

TEST_P(ExportColor, EveryPointCarriesColourAndIndex)
{
    SampleBuffer xs{}, ys{};
    const auto file = BuildIldaExport(xs, ys, 20, GetParam().color);
    const TFrm *frame = file->GetFrame(0);
    ASSERT_EQ(frame->Count(), 11);
    for (int i = 0; i < frame->Count(); ++i) {
        EXPECT_EQ(frame->GetPoint(i)->Data.Color, GetParam().color);
        EXPECT_EQ(frame->GetPoint(i)->Data.ColorIndex, GetParam().index);
    }
}

INSTANTIATE_TEST_SUITE_P(Swatches, ExportColor,
                         ::testing::Values(ColorCase{clNavy, 40}, ColorCase{clBlue, 40}, ColorCase{clBlack, 64},
                                           ColorCase{clRed, 0}, ColorCase{clWhite, 56},
                                           ColorCase{0x123456, 0}));

// ---- The bytes written

TEST(ExportBytes, ElevenPointsAsWritten)
{
    const auto file = exportOf(padded({0x00, 0x7F}, 12), padded({0x80, 0xFF}, 12), clNavy);
    rtl::TMemoryStream stream;
    file->SaveToStream(stream);
    const std::vector<std::uint8_t> expected{
        'I',  'L',  'D',  'A',  0, 0, 0, 0, // signature, format 0
        0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0,    2,    0,    0,    0, 1, 0, 0, // 2 points, frame 0 of 1
        0x00, 0x00, 0x7F, 0x80, 0, 0, 0x00, 40, // X 0, Y 32640
        0x7E, 0x81, 0xFF, 0x01, 0, 0, 0xC0, 40, // X 32385, Y -255, last point
    };
    EXPECT_EQ(stream.Bytes(), expected);
}

TEST(ExportBytes, FewerThanTenPointsGiveAnEmptyFrame)
{
    SampleBuffer xs{}, ys{};
    const auto file = BuildIldaExport(xs, ys, 5, clRed);
    rtl::MessageRecorder messages;
    rtl::TMemoryStream stream;
    file->SaveToStream(stream);
    EXPECT_TRUE(messages.Messages().empty());
    ASSERT_EQ(stream.Bytes().size(), 32u);
    EXPECT_EQ(stream.Bytes()[25], 0); // no points
    EXPECT_EQ(stream.Bytes()[29], 1); // one frame
}

} // namespace
} // namespace lumivex
