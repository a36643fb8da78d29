// A refresh floor and dashed lines: what gives way when a frame needs more
// points than its floor allows, and dashes drawn in one sweep.
#include "Points.h"
#include "scan/Figures.h"
#include "scan/Mirror.h"
#include "scan/Prepare.h"

#include "../../bench/Recipe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <variant>
#include <vector>

namespace {

using Frame = std::vector<ilda::Point>;
using scantest::At;

// Random strokes of random lengths, some long, many small details.
Frame RandomFrame(unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> place(-30000, 30000), strokes(3, 40), vertices(1, 12), step(-4000, 4000);
    Frame frame;
    for (int s = strokes(random); s > 0; --s) {
        int x = place(random), y = place(random);
        frame.push_back(At(x, y, false));
        for (int v = vertices(random); v > 0; --v) {
            x = std::clamp(x + step(random), -32000, 32000);
            y = std::clamp(y + step(random), -32000, 32000);
            frame.push_back(At(x, y));
        }
    }
    return frame;
}

scan::Profile WithBudget(std::size_t points)
{
    scan::Profile profile = scan::DefaultProfile();
    profile.maxPoints = points;
    return profile;
}

class Budget : public ::testing::TestWithParam<unsigned> {};

// Whatever the frame, a plan it returns keeps the floor, the steps and the stray.
TEST_P(Budget, NeverAboveItAndTheLimitsHold)
{
    const Frame frame = RandomFrame(GetParam());
    const std::size_t free = scan::PrepareFrame(frame, scan::DefaultProfile()).size();
    for (const double share : {0.8, 0.5, 0.25}) {
        const scan::Profile profile = WithBudget(std::max<std::size_t>(1, std::size_t(share * double(free))));
        const auto prepared = scan::PrepareWithinBudget(frame, profile);
        if (!prepared) {
            EXPECT_NE(prepared.message().find("budget"), std::string::npos);
            EXPECT_EQ(scan::PrepareFrame(frame, profile).size(), 1u) << "a refused frame is sent dark";
            continue;
        }
        const scan::Figures figures = scan::Measure(*prepared, frame, profile);
        EXPECT_LE(prepared->size(), *profile.maxPoints);
        EXPECT_LE(figures.litStepMax, profile.litStep);
        EXPECT_LE(figures.blankStepMax, profile.blankStep);
        EXPECT_LE(figures.stray, 0.6);
        EXPECT_TRUE(prepared->back().Last());
    }
}

INSTANTIATE_TEST_SUITE_P(RandomFrames, Budget, ::testing::Range(1u, 13u));

TEST(BudgetFloor, ATooSmallBudgetIsRefusedAndAFrameThatFitsIsUntouched)
{
    const Frame frame = RandomFrame(99);
    EXPECT_FALSE(scan::PrepareWithinBudget(frame, WithBudget(3)));
    const auto free = scan::PrepareFrame(frame, scan::DefaultProfile());
    const auto roomy = scan::PrepareWithinBudget(frame, WithBudget(free.size()));
    ASSERT_TRUE(roomy);
    ASSERT_EQ(roomy->size(), free.size());
    for (std::size_t k = 0; k < free.size(); ++k)
        EXPECT_TRUE(roomy->at(k).x == free[k].x && roomy->at(k).y == free[k].y &&
                    roomy->at(k).status == free[k].status);
}

TEST(BudgetFloor, ProfilePointBudgetTakesTheTighterOfRateAndPoints)
{
    scan::Profile profile = scan::DefaultProfile();
    EXPECT_FALSE(profile.PointBudget());
    profile.minHz = 40;
    EXPECT_EQ(profile.PointBudget(), 750u);
    profile.maxPoints = 500;
    EXPECT_EQ(profile.PointBudget(), 500u);
    profile.maxPoints = 5000;
    EXPECT_EQ(profile.PointBudget(), 750u);
}

// A line along (dx, dy) from the centre, as dashes of two points each.
struct DashedLine {
    Frame dashed, whole;
    std::vector<std::pair<double, double>> dashes; // along the line, units
    double dx, dy, x0, y0;
};

DashedLine Dashes(double angle, double dash, double gap, int count)
{
    DashedLine line{{}, {}, {}, std::cos(angle), std::sin(angle), 0, 0};
    const double length = count * (dash + gap) - gap;
    line.x0 = -length / 2 * line.dx;
    line.y0 = -length / 2 * line.dy;
    auto point = [&](double s, bool lit) {
        return At(int(std::lround(line.x0 + s * line.dx)), int(std::lround(line.y0 + s * line.dy)), lit);
    };
    for (int k = 0; k < count; ++k) {
        const double s = k * (dash + gap);
        line.dashes.push_back({s, s + dash});
        line.dashed.push_back(point(s, false));
        line.dashed.push_back(point(s + dash, true));
    }
    line.whole = {point(0, false), point(length, true)};
    return line;
}

struct DashCase {
    double angle, dash, gap;
    int count;
};

class DashedLines : public ::testing::TestWithParam<DashCase> {};

TEST_P(DashedLines, NoMorePointsThanTheRecipeDrawingItWholeAndGapsStayDark)
{
    const DashCase c = GetParam();
    const DashedLine line = Dashes(c.angle, c.dash, c.gap, c.count);
    const scan::Profile profile = scan::DefaultProfile();
    const Frame prepared = scan::PrepareFrame(line.dashed, profile);
    EXPECT_LE(prepared.size(), bench::FixedRecipe(line.whole).size());
    const scan::Figures figures = scan::Measure(prepared, line.dashed, profile);
    EXPECT_GE(figures.coverage, 97.0);
    EXPECT_LE(figures.stray, profile.tolerance) << "light in the gaps";
    // The gaps themselves: no lit move reaches into one beyond the tolerance.
    const double tolerance = scan::Units(profile.tolerance);
    for (const scan::BeamStep &step : scan::TraceBeam(prepared, profile)) {
        if (!step.lit)
            continue;
        for (const scan::Vec2 &p : {step.from, step.to}) {
            const double s = (p.x - line.x0) * line.dx + (p.y - line.y0) * line.dy;
            double nearest = 1e9;
            for (auto [a, b] : line.dashes)
                nearest = std::min(nearest, std::max({a - s, s - b, 0.0}));
            EXPECT_LE(nearest, tolerance) << "lit at " << s;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, DashedLines,
                         ::testing::Values(DashCase{0, 2000, 1200, 16}, DashCase{0.7, 1500, 1500, 20},
                                           DashCase{2.0, 3000, 1000, 10}, DashCase{-1.2, 900, 900, 30}));

} // namespace

namespace {

struct FloorCase {
    const char *minHz, *maxPoints;
    std::optional<std::size_t> budget; // unset: refused
};

class FloorOptions : public ::testing::TestWithParam<FloorCase> {};

TEST_P(FloorOptions, ReadOnceForEveryCommand)
{
    const FloorCase c = GetParam();
    scan::ProfileChoice choice;
    if (c.minHz)
        choice.minHz = c.minHz;
    if (c.maxPoints)
        choice.maxPoints = c.maxPoints;
    const auto resolved = scan::ResolveProfile(choice);
    if (!c.budget) {
        EXPECT_TRUE(std::holds_alternative<std::string>(resolved));
        return;
    }
    ASSERT_TRUE(std::holds_alternative<scan::Profile>(resolved)) << std::get<std::string>(resolved);
    EXPECT_EQ(std::get<scan::Profile>(resolved).PointBudget(), c.budget);
}

INSTANTIATE_TEST_SUITE_P(Texts, FloorOptions,
                         ::testing::Values(FloorCase{"30", nullptr, 1000}, FloorCase{nullptr, "640", 640},
                                           FloorCase{"60", "640", 500}, FloorCase{"0.1", nullptr, 65535},
                                           FloorCase{"0", nullptr, {}}, FloorCase{"-5", nullptr, {}},
                                           FloorCase{"40000", nullptr, {}}, FloorCase{"nan", nullptr, {}},
                                           FloorCase{nullptr, "0", {}}, FloorCase{nullptr, "2.5", {}},
                                           FloorCase{nullptr, "70000", {}}, FloorCase{nullptr, "12x", {}}));

} // namespace
