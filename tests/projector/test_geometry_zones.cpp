#include "projector/Geometry.h"
#include "projector/Polygon.h"
#include "projector/Zones.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using projector::Point2;
using projector::Vertex;

constexpr double kEdge = projector::kEdge;

class Keystone : public testing::TestWithParam<std::array<Point2, 4>> {};

TEST_P(Keystone, SendsTheCornersWhereAskedAndKeepsLinesStraight)
{
    const projector::Perspective map(GetParam());
    const Point2 square[] = {{-kEdge, -kEdge}, {kEdge, -kEdge}, {kEdge, kEdge}, {-kEdge, kEdge}};
    for (int k = 0; k < 4; ++k) {
        const Point2 p = map(square[k]);
        EXPECT_NEAR(p.x, GetParam()[k].x, 1e-6);
        EXPECT_NEAR(p.y, GetParam()[k].y, 1e-6);
    }
    // Points along a line of the square stay on the image of that line.
    const Point2 a{-20000, -5000}, b{25000, 18000};
    const Point2 ma = map(a), mb = map(b);
    for (double t = 0.1; t < 1; t += 0.1) {
        const Point2 m = map({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
        const double length = std::hypot(mb.x - ma.x, mb.y - ma.y);
        EXPECT_NEAR(projector::Cross(ma, mb, m) / length, 0, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Corners, Keystone,
    testing::Values(std::array<Point2, 4>{{{-kEdge, -kEdge}, {kEdge, -kEdge}, {kEdge, kEdge}, {-kEdge, kEdge}}},
                    std::array<Point2, 4>{{{-30000, -20000}, {30000, -20000}, {20000, 25000}, {-20000, 25000}}},
                    std::array<Point2, 4>{{{-32000, -31000}, {28000, -25000}, {31000, 32000}, {-25000, 20000}}},
                    std::array<Point2, 4>{{{-10000, -10000}, {10000, -10000}, {10000, 10000}, {-10000, 10000}}}));

TEST(Geometry, FlipsAndSwapComeBeforeSizeRotationAndOffset)
{
    projector::Geometry g;
    g.flipX = true;
    g.swapXY = true;
    g.size = {50, 200};
    g.rotate = 90;
    g.offset = {100, -200};
    const projector::GeometryMap map(g);
    // (1000, 10) flips to (-1000, 10), swaps to (10, -1000), sizes to
    // (5, -2000), turns to (2000, 5) and moves to (2100, -195).
    const Point2 p = map.Place({1000, 10});
    EXPECT_NEAR(p.x, 2100, 1e-9);
    EXPECT_NEAR(p.y, -195, 1e-9);
}

Vertex Lit(double x, double y)
{
    Vertex v{{x, y}, {}};
    v.point.color = ilda::Rgb(255, 200, 100);
    return v;
}

const std::vector<Point2> kSquareZone{{-1000, -1000}, {1000, -1000}, {1000, 1000}, {-1000, 1000}};

TEST(ZoneCut, ALitLineEndsExactlyOnTheEdgeOfABlankZone)
{
    const projector::ZoneCutter cutter({{projector::ZoneKind::Blank, 0, kSquareZone}}, projector::Limits{});
    const std::vector<Vertex> line{Lit(-5000, 300), Lit(5000, -700)};
    std::vector<Vertex> out;
    cutter.Cut(line, out);
    ASSERT_EQ(out.size(), 4u);
    // Lit up to the left edge, dark across the zone, lit again from the right edge.
    EXPECT_FALSE(out[1].point.Blanked());
    EXPECT_DOUBLE_EQ(out[1].p.x, -1000);
    EXPECT_TRUE(out[2].point.Blanked());
    EXPECT_DOUBLE_EQ(out[2].p.x, 1000);
    EXPECT_FALSE(out[3].point.Blanked());
    for (const Vertex &v : {out[1], out[2]})
        EXPECT_NEAR(projector::DistanceToEdge(kSquareZone, v.p), 0, 1e-9);
}

TEST(ZoneCut, DimZoneCapsTheBrightestChannelAndKeepsTheHue)
{
    const projector::ZoneCutter cutter({{projector::ZoneKind::Dim, 40, kSquareZone}}, projector::Limits{});
    const std::vector<Vertex> line{Lit(-500, 0), Lit(500, 0), Lit(5000, 0)};
    std::vector<Vertex> out;
    cutter.Cut(line, out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[1].point.color, ilda::Rgb(102, 80, 40));   // inside: 255 capped to 40 %
    EXPECT_EQ(out[2].point.color, ilda::Rgb(102, 80, 40));   // the edge, the end of the dim piece
    EXPECT_EQ(out[3].point.color, ilda::Rgb(255, 200, 100)); // outside: as it was
}

TEST(ZoneCut, NothingLitLeavesTheBoundsAndBlankedPointsAreHeldIn)
{
    const projector::ZoneCutter cutter({}, projector::Limits{-100, -100, 100, 100});
    std::vector<Vertex> line{Lit(0, 0), Lit(300, 0)};
    line.push_back({{400, 400}, {}});
    line.back().point.status = ilda::kBlankingBit;
    std::vector<Vertex> out;
    cutter.Cut(line, out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_DOUBLE_EQ(out[1].p.x, 100);
    EXPECT_FALSE(out[1].point.Blanked());
    EXPECT_TRUE(out[2].point.Blanked());
    EXPECT_DOUBLE_EQ(out[3].p.x, 100);
    EXPECT_DOUBLE_EQ(out[3].p.y, 100);
}

struct Shape {
    std::vector<Point2> corners;
    bool crosses;
};

class SelfCrossing : public testing::TestWithParam<Shape> {};

TEST_P(SelfCrossing, IsFound)
{
    EXPECT_EQ(projector::CrossesItself(GetParam().corners), GetParam().crosses);
}

INSTANTIATE_TEST_SUITE_P(Polygons, SelfCrossing,
                         testing::Values(Shape{{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, false},
                                         Shape{{{0, 0}, {10, 10}, {10, 0}, {0, 10}}, true},            // a bow tie
                                         Shape{{{0, 0}, {10, 0}, {5, 0}, {5, 5}}, true},               // folds back
                                         Shape{{{0, 0}, {10, 0}, {10, 10}, {5, 0}, {0, 10}}, true},    // touches
                                         Shape{{{0, 0}, {10, 0}, {5, 3}, {10, 10}, {0, 10}}, false})); // concave

} // namespace
