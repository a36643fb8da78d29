#include "frames/Palette.h"
#include "frames/Repair.h"

#include "ilda/Reading.h"
#include "ilda/Writing.h"
#include "rtl/Classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

TEST(Palette, NearestEntryOfThePalette)
{
    frames::NearestColor nearest(ilda::kDefaultPalette);
    EXPECT_EQ(nearest.Index(ilda::Rgb(255, 0, 0)), 0);
    EXPECT_EQ(nearest.Index(ilda::Rgb(250, 250, 10)), 16); // yellow
    EXPECT_EQ(nearest.Index(ilda::Rgb(10, 20, 240)), 39);  // (0, 28, 255): 389 from it, 725 from blue
    EXPECT_EQ(nearest.Index(ilda::Rgb(10, 20, 240)), 39);  // the remembered answer agrees
}

TEST(Palette, AutoPaletteHoldsEveryColourOfASmallFile)
{
    frames::PaletteBuilder builder;
    for (int i = 0; i < 200; ++i)
        builder.Add(ilda::Rgb(static_cast<std::uint8_t>(i), 7, static_cast<std::uint8_t>(255 - i)));
    EXPECT_FALSE(builder.AllOnDefault());
    const auto colors = builder.Build();
    EXPECT_EQ(colors.size(), 200u);
    EXPECT_NE(std::find(colors.begin(), colors.end(), ilda::Rgb(123, 7, 132)), colors.end());
}

TEST(Palette, AutoPaletteOfManyColoursStaysWithin256AndNearTheColours)
{
    frames::PaletteBuilder builder;
    std::vector<ilda::Color> used;
    for (int r = 0; r < 256; r += 8)
        for (int g = 0; g < 256; g += 64)
            used.push_back(ilda::Rgb(std::uint8_t(r), std::uint8_t(g), 40));
    for (const ilda::Color c : used)
        builder.Add(c);
    const auto colors = builder.Build();
    ASSERT_LE(colors.size(), 256u);
    frames::NearestColor nearest(colors);
    for (const ilda::Color c : used) {
        const ilda::Color got = colors[nearest.Index(c)];
        for (int shift = 0; shift < 24; shift += 8)
            EXPECT_LE(std::abs(int(got >> shift & 0xFF) - int(c >> shift & 0xFF)), 8);
    }
}

TEST(Palette, OneColourIsFilledUpToTwo)
{
    frames::PaletteBuilder builder;
    builder.Add(ilda::Rgb(255, 0, 0));
    EXPECT_TRUE(builder.AllOnDefault());
    EXPECT_EQ(builder.Build(), (std::vector<ilda::Color>{ilda::Rgb(255, 0, 0), 0}));
}

struct DarkCase {
    ilda::Color color;
    bool dark;
};
class DarkColors : public testing::TestWithParam<DarkCase> {};

TEST_P(DarkColors, BelowOneSixteenthOnEveryChannelGivesNoLight)
{
    EXPECT_EQ(frames::TooDarkToLight(GetParam().color), GetParam().dark);
}

INSTANTIATE_TEST_SUITE_P(Edges, DarkColors,
                         testing::Values(DarkCase{ilda::Rgb(0, 0, 0), true}, DarkCase{ilda::Rgb(0, 0, 10), true},
                                         DarkCase{ilda::Rgb(15, 15, 15), true}, DarkCase{ilda::Rgb(16, 0, 0), false},
                                         DarkCase{ilda::Rgb(0, 0, 16), false}, DarkCase{ilda::Rgb(0, 200, 0), false}));

TEST(Palette, NoLitPointTakesABlackEntry)
{
    const std::vector<ilda::Color> palette = {0, ilda::Rgb(255, 0, 0)};
    frames::NearestColor nearest(palette);
    EXPECT_EQ(nearest.Index(ilda::Rgb(40, 40, 40)), 1);
}

TEST(Palette, DarkColoursStayOutOfABuiltPalette)
{
    frames::PaletteBuilder builder;
    builder.Add(ilda::Rgb(0, 0, 10));
    builder.Add(ilda::Rgb(0, 0, 0));
    builder.Add(ilda::Rgb(30, 60, 90));
    EXPECT_EQ(builder.Build(), (std::vector<ilda::Color>{ilda::Rgb(30, 60, 90), 0}));
}

// The palette sections written and the indices matched, through a writer.
TEST(Palette, WriterMatchesLitColoursAndBlanksDarkOnes)
{
    rtl::TMemoryStream bytes;
    ilda::StreamWriter writer(bytes);
    frames::PaletteWriter palettes(writer);
    palettes.Use({ilda::kDefaultPalette.begin(), ilda::kDefaultPalette.end()});
    std::vector<ilda::Point> points(4);
    points[0].color = ilda::Rgb(0, 0, 10); // near black: the standard palette's blue would light it
    points[1].color = 0;                   // lit black: its red would light it
    points[2].color = ilda::Rgb(255, 255, 0);
    points[3].status = ilda::kBlankingBit;
    points[3].color = ilda::Rgb(255, 255, 0);
    frames::RepairCounts counts;
    palettes.Match(points, counts);
    EXPECT_EQ(bytes.Size(), 0); // the standard palette is in effect without a section
    for (std::size_t i : {0u, 1u, 3u}) {
        EXPECT_TRUE(points[i].Blanked()) << i;
        EXPECT_EQ(points[i].colorIndex, 0) << i;
    }
    EXPECT_EQ(points[2].colorIndex, 16);
    EXPECT_EQ(counts.darkBlanked, 2u);
    palettes.Use({ilda::Rgb(1, 2, 3), ilda::Rgb(200, 0, 0)});
    palettes.Use({ilda::Rgb(1, 2, 3), ilda::Rgb(200, 0, 0)});
    EXPECT_EQ(bytes.Size(), 32 + 2 * 3); // one palette section, once
}

std::vector<ilda::Point> Frame(std::vector<std::uint8_t> statuses)
{
    std::vector<ilda::Point> points(statuses.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i].status = statuses[i];
    return points;
}

TEST(Repair, LastPointBitOnTheLastPointOnly)
{
    frames::RepairCounts counts;
    auto missing = Frame({0, 0x40, 0});
    frames::RepairStatus(missing, counts);
    EXPECT_EQ(missing.back().status, 0x80);
    auto early = Frame({0x80, 0x80 | 0x40, 0x80});
    frames::RepairStatus(early, counts);
    EXPECT_EQ(early[0].status, 0);
    EXPECT_EQ(early[1].status, 0x40);
    EXPECT_EQ(counts.lastBitSet, 1u);
    EXPECT_EQ(counts.lastBitEarly, 1u);
}

TEST(Repair, ReservedStatusBitsCleared)
{
    frames::RepairCounts counts;
    auto frame = Frame({0x41, 0x3F, 0x80});
    frames::RepairStatus(frame, counts);
    EXPECT_EQ(frame[0].status, 0x40);
    EXPECT_EQ(frame[1].status, 0);
    EXPECT_EQ(counts.reservedStatus, 2u);
}

TEST(Repair, IndexBeyondThePaletteIsWrittenBlanked)
{
    // A glyph file marks its moves with index 64 of 64 colours: no light.
    const std::vector<ilda::Color> palette = {ilda::Rgb(255, 0, 0), ilda::Rgb(0, 0, 255)};
    std::vector<ilda::Point> points(3);
    points[0].colorIndex = 1;
    points[0].color = palette[1];
    points[1].colorIndex = 7;
    points[2].colorIndex = 9;
    points[2].status = ilda::kBlankingBit;
    frames::RepairCounts counts;
    frames::RepairIndices(points, palette, counts);
    EXPECT_EQ(points[0].colorIndex, 1);
    EXPECT_FALSE(points[0].Blanked());
    for (std::size_t i : {1u, 2u}) {
        EXPECT_TRUE(points[i].Blanked()) << i;
        EXPECT_EQ(points[i].colorIndex, 0) << i;
        EXPECT_EQ(points[i].color, 0u) << i;
    }
    EXPECT_EQ(counts.indexBeyond, 2u);
}

TEST(Repair, FramesTakeTheirPlaceInTheOutput)
{
    frames::RepairCounts counts;
    ilda::Header right;
    right.number = 3;
    right.total = 9;
    frames::NumberFrame(right, {3, 9}, {0, 2}, counts);
    EXPECT_EQ(right.number, 0);
    EXPECT_EQ(right.total, 2);
    EXPECT_EQ(counts.renumbered, 0u); // a selection is no repair
    ilda::Header fromOne;
    fromOne.number = 1;
    fromOne.total = 1;
    frames::NumberFrame(fromOne, {0, 1}, {0, 1}, counts);
    EXPECT_EQ(fromOne.number, 0);
    EXPECT_EQ(counts.renumbered, 1u);
}

TEST(Repair, EachKindReportedOnceWithItsCount)
{
    frames::RepairCounts counts;
    counts.lastBitSet = 94;
    counts.emptyFrames = 1;
    counts.endMarker = true;
    EXPECT_EQ(frames::RepairLines(counts),
              (std::vector<std::string>{"set the last-point bit on 94 frames", "dropped 1 frame without points",
                                        "wrote the missing end marker"}));
    EXPECT_TRUE(frames::RepairLines({}).empty());
}

} // namespace
