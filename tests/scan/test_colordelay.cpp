#include "scan/ColorDelay.h"
#include "scan/Figures.h"

#include "Points.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using scantest::At;

// A frame whose first points are lit: their light is sent from the frame's
// end, and the points they were on go dark.
TEST(ColorDelay, LightIsSentEarlyAcrossTheFramesEnd)
{
    std::vector<ilda::Point> frame = {At(0, 0), At(100, 0), At(200, 0, false), At(300, 0, false), At(400, 0, false)};
    frame[1].color = ilda::Rgb(1, 2, 3);
    frame[1].colorIndex = 7;
    frame.back().status |= ilda::kLastPointBit;
    scan::Profile profile = scan::DefaultProfile();
    profile.colorDelay = {100, 100, 100}; // 3 points
    const auto early = scan::CompensateColorDelay(frame, profile);
    ASSERT_EQ(early.size(), frame.size());
    const bool lit[] = {false, false, true, true, false};
    for (std::size_t k = 0; k < early.size(); ++k) {
        EXPECT_EQ(early[k].x, frame[k].x) << k;
        EXPECT_EQ(!early[k].Blanked(), lit[k]) << k;
    }
    EXPECT_EQ(early[2].color, frame[0].color);
    EXPECT_EQ(early[3].color, frame[1].color);
    EXPECT_EQ(early[3].colorIndex, 7);
    EXPECT_EQ(early[0].color, 0u);
    EXPECT_TRUE(early.back().Last());
}

// Sent early and drawn late, every laser shows what the frame showed with
// no lag: the same figures, whatever each laser's delay.
TEST(ColorDelay, DrawnLateItDrawsAsTheFrameWithoutLag)
{
    // A line in four colours, then a corner.
    const ilda::Color colors[] = {ilda::Rgb(255, 0, 0), ilda::Rgb(0, 255, 0), ilda::Rgb(0, 0, 255),
                                  ilda::Rgb(255, 200, 100)};
    std::vector<ilda::Point> frame(3, At(-6000, 0, false));
    for (int k = 0; k < 60; ++k) {
        frame.push_back(At(-6000 + 200 * std::min(k, 40), 200 * std::max(k - 40, 0)));
        frame.back().color = colors[k / 15];
    }
    frame.insert(frame.end(), 3, At(2000, 4000, false));
    scan::Profile lagging = scan::DefaultProfile();
    lagging.colorDelay = {300, 0, 70};
    const scan::Figures without = scan::Measure(frame, frame, scan::DefaultProfile());
    const scan::Figures late = scan::Measure(frame, frame, lagging);
    const scan::Figures made = scan::Measure(scan::CompensateColorDelay(frame, lagging), frame, lagging);
    EXPECT_LT(late.coverage, without.coverage - 10);
    EXPECT_DOUBLE_EQ(made.coverage, without.coverage);
    EXPECT_DOUBLE_EQ(made.stray, without.stray);
    EXPECT_DOUBLE_EQ(made.strayShare, without.strayShare);
}

} // namespace
