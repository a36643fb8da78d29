// Placing text in the square: centred, fitted or at the height asked,
// shrunk only to fit; a scroll's first and last frames; cutting at the
// edges; the frame's point limit.
#include "TextFrames.h"

#include "text/Hershey.h"
#include "text/Layout.h"
#include "text/Utf8.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using texttest::Bounds;
using texttest::LitBounds;
using texttest::LitSegments;

constexpr int kEdge = 32767;

text::Shaped Shape(const char *font, const char *letters)
{
    auto shaped = text::ShapeHershey(font, text::DecodeUtf8(letters).value());
    EXPECT_TRUE(shaped) << shaped.message();
    return shaped ? std::move(*shaped) : text::Shaped{};
}

std::vector<ilda::Point> Draw(const text::Shaped &shaped, const text::Placement &at)
{
    auto frame = text::DrawText(shaped, at, ilda::Rgb(255, 0, 0));
    EXPECT_TRUE(frame) << frame.message();
    return frame ? std::move(*frame) : std::vector<ilda::Point>{};
}

struct FitCase {
    const char *font;
    const char *text;
    double height; // 0: as large as fits
    bool shrunk;
};

class Fitting : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fitting, CentresAndFitsTheText)
{
    const FitCase c = GetParam();
    const text::Shaped shaped = Shape(c.font, c.text);
    const auto at = text::PlaceStill(shaped, c.height);
    ASSERT_TRUE(at) << at.message();
    const Bounds b = LitBounds(Draw(shaped, *at));
    ASSERT_TRUE(b.any);
    EXPECT_NEAR(b.left + b.right, 0, 2);
    EXPECT_NEAR(b.bottom + b.top, 0, 2);
    const int extent = std::max(b.right - b.left, b.top - b.bottom);
    EXPECT_EQ(at->shrunk, c.shrunk);
    if (c.height == 0) {
        EXPECT_NEAR(extent, text::kSpan * text::kFitShare, 2);
    } else if (c.shrunk) {
        EXPECT_NEAR(extent, text::kSpan, 2);
        EXPECT_LT(at->height, c.height);
    } else {
        EXPECT_NEAR(at->height, c.height, 1e-6);
        EXPECT_LE(extent, text::kSpan);
    }
}

INSTANTIATE_TEST_SUITE_P(Text, Fitting,
                         ::testing::Values(FitCase{"futural", "HELLO WORLD", 0, false},
                                           FitCase{"futural", "I", 0, false}, FitCase{"futural", "---", 0, false},
                                           FitCase{"futural", "HELLO", 20, false}, FitCase{"rowmans", "x", 100, false},
                                           FitCase{"futural", "HELLO WORLD", 60, true}));

TEST(Fitting, TextThatDrawsNothingIsRefused)
{
    for (const char *letters : {"", "   "}) {
        const text::Shaped shaped = Shape("futural", letters);
        EXPECT_FALSE(text::PlaceStill(shaped, 0)) << '"' << letters << '"';
        EXPECT_FALSE(text::PlaceScroll(shaped, 0)) << '"' << letters << '"';
    }
}

TEST(Drawing, ASegmentDrawnBackIsLitOnce)
{
    text::Shaped shaped;
    shaped.strokes = {{{0, 0}, {10, 0}, {0, 0}, {0, 10}}, {{10, 0}, {0, 0}}};
    const auto frame = Draw(shaped, {.scale = 100});
    EXPECT_EQ(LitSegments(frame).size(), 2u);
}

TEST(Drawing, StrokesAreCutAtTheEdges)
{
    text::Shaped shaped;
    shaped.strokes = {{{-1, 0}, {1, 0}}, {{2, 0.5}, {3, 0.5}}};
    const auto cut = Draw(shaped, {.scale = 40000});
    EXPECT_EQ(LitSegments(cut), (std::vector<texttest::Segment>{{{-kEdge, 0}, {kEdge, 0}}}));
    const auto outside = Draw(shaped, {.scale = 40000, .dx = 80000});
    ASSERT_EQ(outside.size(), 1u) << "nothing to show: one blanked point";
    EXPECT_TRUE(outside[0].Blanked() && outside[0].Last());
    EXPECT_EQ(outside[0].x, 0);
}

TEST(Drawing, AFrameOfMoreThan65535PointsIsRefused)
{
    text::Shaped shaped;
    for (int i = 0; i < 40000; ++i)
        shaped.strokes.push_back({{double(i), 0}, {double(i), 10}});
    const auto frame = text::DrawText(shaped, {.scale = 1, .dx = -20000}, ilda::Rgb(255, 0, 0));
    ASSERT_FALSE(frame);
    EXPECT_NE(frame.message().find("65535"), std::string::npos) << frame.message();
}

class Scrolling : public ::testing::Test {
protected:
    static constexpr std::size_t kCount = 60;
    text::Shaped shaped_ = Shape("futural", "HI THERE");
    text::Placement at_ = text::PlaceScroll(shaped_, 0).value();

    std::vector<ilda::Point> Frame(std::size_t index) const
    {
        return Draw(shaped_, text::ScrollStep(shaped_, at_, index, kCount));
    }
    double Step() const
    {
        const auto ink = text::InkBox(shaped_).value();
        return (text::kSpan + 2 + (ink.right - ink.left) * at_.scale) / kCount;
    }
};

TEST_F(Scrolling, StartsJustBeyondTheRightEdge)
{
    EXPECT_NEAR(at_.height, text::kScrollHeight, 1e-6);
    EXPECT_FALSE(LitBounds(Frame(0)).any);
    const Bounds second = LitBounds(Frame(1));
    ASSERT_TRUE(second.any);
    EXPECT_EQ(second.right, kEdge);
    EXPECT_NEAR(second.left, kEdge + 1 - Step(), 2);
}

TEST_F(Scrolling, EndsOneStepFromLeavingOnTheLeft)
{
    const Bounds last = LitBounds(Frame(kCount - 1));
    ASSERT_TRUE(last.any);
    EXPECT_EQ(last.left, -kEdge);
    EXPECT_NEAR(last.right, -kEdge - 1 + Step(), 2);
}

TEST_F(Scrolling, PassesTheCentreHalfWayUpright)
{
    const Bounds middle = LitBounds(Frame(kCount / 2));
    const auto ink = text::InkBox(shaped_).value();
    EXPECT_NEAR(middle.left + middle.right, 0, 2);
    EXPECT_NEAR(middle.bottom + middle.top, 0, 2);
    EXPECT_NEAR(middle.top - middle.bottom, (ink.top - ink.bottom) * at_.scale, 2);
}

} // namespace
