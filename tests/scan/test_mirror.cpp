#include "scan/Mirror.h"

#include "Points.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using scantest::At;

// A step from a blanked point to a lit one at 30k/2500 Hz (a = 0.407615),
// worked by hand: the first pass ends at -1847.70; the second moves the
// mirror back to -5170.70 unlit, then draws to 1013.11.
TEST(Mirror, StepSettlesIntoTheLoopOnTheSecondPass)
{
    const std::vector<ilda::Point> frame = {At(-10000, 0, false), At(10000, 0)};
    const auto steps = scan::TraceBeam(frame, scan::DefaultProfile());
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_NEAR(steps[0].from.x, -1847.70, 0.01);
    EXPECT_NEAR(steps[0].to.x, -5170.70, 0.01);
    EXPECT_FALSE(steps[0].lit);
    EXPECT_NEAR(steps[1].to.x, 1013.11, 0.01);
    EXPECT_TRUE(steps[1].lit);
    EXPECT_DOUBLE_EQ(steps[1].to.y, 0.0);
}

TEST(Mirror, BlackIsDarkEvenWithTheBlankingBitClear)
{
    ilda::Point black = At(0, 0);
    black.color = 0;
    EXPECT_FALSE(scan::IsLit(black));
    EXPECT_TRUE(scan::TraceBeam(std::vector<ilda::Point>{}, scan::DefaultProfile()).empty());
}

// Each laser shows the point its own delay reaches back to, across the
// frame's end; a dark point gives none of its channels.
TEST(Mirror, EachLaserLagsByItsOwnDelay)
{
    std::vector<ilda::Point> frame(6, At(0, 0, false));
    for (std::size_t k : {0u, 1u}) {
        frame[k] = At(int(k) * 100, 0);
        frame[k].color = ilda::Rgb(10 + std::uint8_t(k), 20 + std::uint8_t(k), 30 + std::uint8_t(k));
    }
    frame[2].color = ilda::Rgb(99, 99, 99); // blanked: its colour never shows
    scan::Profile profile = scan::DefaultProfile();
    profile.colorDelay = {0, 1000.0 / 30, 5 * 1000.0 / 30}; // 0, 1 and 5 points
    const auto steps = scan::TraceBeam(frame, profile);
    ASSERT_EQ(steps.size(), 6u);
    const ilda::Color expected[] = {ilda::Rgb(10, 0, 31), ilda::Rgb(11, 20, 0), ilda::Rgb(0, 21, 0), 0, 0,
                                    ilda::Rgb(0, 0, 30)};
    for (std::size_t k = 0; k < steps.size(); ++k) {
        EXPECT_EQ(steps[k].color, expected[k]) << k;
        EXPECT_EQ(steps[k].lit, expected[k] != 0) << k;
    }
}

} // namespace
