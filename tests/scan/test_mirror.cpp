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

} // namespace
