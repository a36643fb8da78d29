#include "projector/Patterns.h"
#include "projector/Polygon.h"
#include "projector/Safety.h"
#include "projector/Stage.h"

#include "scan/Mirror.h"
#include "scan/Prepare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

using projector::Point2;

ilda::Point At(int x, int y, bool lit, ilda::Color color = ilda::Rgb(255, 255, 255))
{
    ilda::Point p;
    p.x = static_cast<std::int16_t>(x);
    p.y = static_cast<std::int16_t>(y);
    p.status = lit ? 0 : ilda::kBlankingBit;
    p.color = lit ? color : 0;
    return p;
}

// A polygon that never crosses itself: corners at rising angles round a centre.
std::vector<Point2> Star(std::mt19937 &random)
{
    std::uniform_real_distribution<double> centre(-20000, 20000), radius(2000, 12000), turn(0.3, 1.2);
    const Point2 c{centre(random), centre(random)};
    std::vector<Point2> corners;
    for (double a = 0; a < 2 * std::numbers::pi - 0.3; a += turn(random)) {
        const double r = radius(random);
        corners.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
    }
    return corners;
}

std::vector<ilda::Point> Scribble(std::mt19937 &random)
{
    std::uniform_int_distribution<int> coordinate(-30000, 30000), length(2, 30), strokes(1, 8);
    std::vector<ilda::Point> frame;
    const int n = strokes(random);
    for (int s = 0; s < n; ++s) {
        frame.push_back(At(coordinate(random), coordinate(random), false));
        const int points = length(random);
        for (int k = 0; k < points; ++k)
            frame.push_back(At(coordinate(random), coordinate(random), true, ilda::Rgb(255, 120, 40)));
    }
    return frame;
}

// Random frames, zones, geometry and scanners: the mirror never draws a lit
// sample deep inside a blank zone.
TEST(OutputStage, TheBeamKeepsOutOfBlankZones)
{
    std::mt19937 random(20261208);
    std::uniform_real_distribution<double> delay(0, 300), size(60, 120), angle(-30, 30);
    for (int trial = 0; trial < 60; ++trial) {
        projector::Setup setup;
        setup.scanner = *scan::FindProfile(trial % 2 ? "ilda-12k" : "ilda-30k");
        setup.scanner.colorDelay = {delay(random), delay(random), delay(random)};
        setup.geometry.size = {size(random), size(random)};
        setup.geometry.rotate = angle(random);
        setup.geometry.keystone[3] = {-28000, 30000};
        for (int z = 0; z < 3; ++z)
            setup.zones.push_back({projector::ZoneKind::Blank, 0, Star(random)});
        ASSERT_TRUE(projector::CheckSetup(setup).ok()) << projector::CheckSetup(setup).message();
        const projector::OutputStage stage(setup);
        const auto sent = stage.Apply(Scribble(random));
        EXPECT_EQ(projector::LitSamplesInBlankZones(sent, setup), 0u) << "trial " << trial;
    }
}

TEST(OutputStage, NoPointLeavesTheLimits)
{
    projector::Setup setup;
    setup.limits = {-10000, -5000, 20000, 8000};
    setup.geometry.size = {150, 150};
    const projector::OutputStage stage(setup);
    for (const projector::Pattern pattern :
         {projector::Pattern::Tuning, projector::Pattern::Grid, projector::Pattern::Colors}) {
        const auto sent = stage.Apply(projector::DrawPattern(pattern));
        ASSERT_FALSE(sent.empty());
        for (const ilda::Point &p : sent) {
            EXPECT_TRUE(p.x >= -10000 && p.x <= 20000 && p.y >= -5000 && p.y <= 8000) << p.x << "," << p.y;
        }
        EXPECT_TRUE(sent.back().Last());
    }
}

// A setup that changes nothing prepares a frame as the optimiser alone does.
TEST(OutputStage, AnIdleSetupIsTheOptimiserAlone)
{
    std::mt19937 random(7);
    const auto frame = Scribble(random);
    const projector::OutputStage stage{projector::Setup{}};
    const auto staged = stage.Apply(frame);
    const auto optimised = scan::PrepareFrame(frame, scan::DefaultProfile());
    ASSERT_EQ(staged.size(), optimised.size());
    for (std::size_t k = 0; k < staged.size(); ++k) {
        EXPECT_EQ(staged[k].x, optimised[k].x);
        EXPECT_EQ(staged[k].y, optimised[k].y);
        EXPECT_EQ(staged[k].status, optimised[k].status);
        EXPECT_EQ(staged[k].color, optimised[k].color);
    }
}

} // namespace
