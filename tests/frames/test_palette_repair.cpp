#include "frames/Palette.h"
#include "frames/Repair.h"

#include "ilda/Reading.h"

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

TEST(Repair, IndexBeyondThePaletteTakesItsLastEntry)
{
    const std::vector<ilda::Color> palette = {ilda::Rgb(255, 0, 0), ilda::Rgb(0, 0, 255)};
    std::vector<ilda::Point> points(3);
    points[0].colorIndex = 1;
    points[1].colorIndex = 7;
    points[2].colorIndex = 9;
    points[2].status = ilda::kBlankingBit;
    frames::RepairCounts counts;
    frames::RepairIndices(points, palette, counts);
    EXPECT_EQ(points[1].colorIndex, 1);
    EXPECT_EQ(points[1].color, ilda::Rgb(0, 0, 255));
    EXPECT_EQ(points[2].colorIndex, 1);
    EXPECT_EQ(points[2].color, 0u); // blanked stays dark
    EXPECT_EQ(counts.indexBeyond, 2u);
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
