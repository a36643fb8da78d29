#include "scan/Figures.h"

#include "Points.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using scantest::At;

// A right angle of 655-unit steps, with repeats of its blanked start, its
// corner and its end (0 of each: no dwell).
std::vector<ilda::Point> RightAngle(int startRepeats, int cornerRepeats, int endRepeats)
{
    std::vector<ilda::Point> frame(std::size_t(1 + startRepeats), At(-6554, -6554, false));
    for (int k = 1; k <= 20; ++k)
        frame.push_back(At(-6554 + 655 * k, -6554));
    frame.insert(frame.end(), std::size_t(cornerRepeats), frame.back());
    for (int k = 1; k <= 20; ++k)
        frame.push_back(At(6546, -6554 + 655 * k));
    frame.insert(frame.end(), std::size_t(endRepeats), frame.back());
    return frame;
}

// Two strokes, red then green, with dwell at their ends and blanked travel.
std::vector<ilda::Point> TwoColours()
{
    std::vector<ilda::Point> frame(4, At(-10000, 5000, false));
    const auto stroke = [&](int x, int y, int direction, ilda::Color color) {
        for (int k = 0; k <= 23; ++k) {
            ilda::Point point = At(x + direction * 1000 * std::min(k, 20), y);
            point.color = color;
            frame.push_back(point);
        }
    };
    stroke(-10000, 5000, 1, ilda::Rgb(255, 0, 0));
    frame.insert(frame.end(), 8, At(10000, -5000, false));
    stroke(10000, -5000, -1, ilda::Rgb(0, 255, 0));
    frame.insert(frame.end(), 8, At(-10000, 5000, false));
    return frame;
}

struct Worked {
    const char *name;
    std::vector<ilda::Point> frame;
    double coverage, stray, strayShare;
    double delay = 0; // µs, every laser
};

class WorkedExample : public testing::TestWithParam<Worked> {};

// Figures worked out by hand for the ilda-30k profile, each frame against
// itself.
TEST_P(WorkedExample, MatchesTheHandWorkedFigures)
{
    const Worked &worked = GetParam();
    scan::Profile profile = scan::DefaultProfile();
    profile.colorDelay = {worked.delay, worked.delay, worked.delay};
    const scan::Figures figures = scan::Measure(worked.frame, worked.frame, profile);
    EXPECT_NEAR(figures.coverage, worked.coverage, 0.01);
    EXPECT_NEAR(figures.stray, worked.stray, 0.01);
    EXPECT_NEAR(figures.strayShare, worked.strayShare, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Frames, WorkedExample,
                         testing::Values(Worked{"Step", {At(-10000, 0, false), At(10000, 0)}, 34.043, 0, 0},
                                         Worked{"LoopOfTwo", {At(0, 0), At(20000, 0)}, 33.987, 0, 0},
                                         Worked{"StandingStill", {At(0, 0, false), At(0, 0), At(0, 0)}, 100, 0, 0},
                                         Worked{"Corner", RightAngle(0, 0, 0), 81.250, 9.542, 31.265},
                                         Worked{"CornerWithDwell", RightAngle(3, 3, 3), 94.293, 2.404, 5.844},
                                         // The laser's lag, in points: 2, 3, 5 and 9.
                                         Worked{"CornerLate50", RightAngle(3, 3, 3), 94.293, 9.905, 32.355, 50},
                                         Worked{"CornerLate100", RightAngle(3, 3, 3), 94.293, 9.905, 36.294, 100},
                                         Worked{"CornerLate150", RightAngle(3, 3, 3), 91.687, 9.905, 40.856, 150},
                                         Worked{"CornerLate300", RightAngle(3, 3, 3), 87.345, 9.905, 43.503, 300},
                                         Worked{"TwoColours", TwoColours(), 100, 0.208, 0, 0},
                                         Worked{"TwoColoursLate100", TwoColours(), 96.152, 7.620, 28.603, 100}),
                         [](const testing::TestParamInfo<Worked> &info) { return info.param.name; });

// A path that keeps within tolerance still strays by as much as it is off.
TEST(Figures, StrayWithinToleranceIsTheDistanceOff)
{
    std::vector<ilda::Point> intended(10, At(-5000, 0, false)), sent(10, At(-5000, 200, false));
    for (int x = -5000; x <= 5000; x += 500) {
        intended.push_back(At(x, 0));
        sent.push_back(At(x, 200));
    }
    const scan::Figures figures = scan::Measure(sent, intended, scan::DefaultProfile());
    EXPECT_NEAR(figures.stray, 200 * 100.0 / 65536, 0.001);
    EXPECT_EQ(figures.strayShare, 0.0);
}

TEST(Figures, StepsTimeAndRate)
{
    // Three points: a 1 % lit step, a 10 % blanked step, and the 9 % step
    // back to the first point, lit.
    const std::vector<ilda::Point> frame = {At(0, 0), At(655, 0), At(7209, 0, false)};
    const scan::Figures figures = scan::Measure(frame, frame, scan::DefaultProfile());
    EXPECT_EQ(figures.points, 3u);
    EXPECT_DOUBLE_EQ(figures.ms, 0.1);
    EXPECT_DOUBLE_EQ(figures.hz, 10000.0);
    EXPECT_NEAR(figures.litStepMax, 11.0, 0.001);
    EXPECT_NEAR(figures.blankStepMax, 10.0, 0.001);
    EXPECT_EQ(scan::Measure({}, {}, scan::DefaultProfile()).hz, 0.0);
}

} // namespace
