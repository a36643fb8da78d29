#include "frames/Select.h"
#include "frames/Transform.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ilda::Point At(int x, int y, bool lit = true)
{
    ilda::Point p;
    p.x = static_cast<std::int16_t>(x);
    p.y = static_cast<std::int16_t>(y);
    p.status = lit ? 0 : ilda::kBlankingBit;
    p.color = lit ? ilda::Rgb(255, 0, 0) : 0;
    return p;
}

struct ListCase {
    const char *text;
    std::vector<std::size_t> in, out;
};

class FrameListCases : public ::testing::TestWithParam<ListCase> {};

TEST_P(FrameListCases, KeepsTheFramesNamed)
{
    const auto parsed = frames::FrameList::Parse(GetParam().text);
    ASSERT_TRUE(parsed.ok()) << parsed.message();
    const auto &list = *parsed;
    for (std::size_t i : GetParam().in)
        EXPECT_TRUE(list.Contains(i)) << i;
    for (std::size_t i : GetParam().out)
        EXPECT_FALSE(list.Contains(i)) << i;
}

INSTANTIATE_TEST_SUITE_P(Lists, FrameListCases,
                         ::testing::Values(ListCase{"0-9,15,20-", {0, 9, 15, 20, 60000}, {10, 14, 16, 19}},
                                           ListCase{"3", {3}, {2, 4}}, ListCase{"5-5", {5}, {4, 6}}));

TEST(FrameList, RefusesWhatIsNotAList)
{
    for (const char *text : {"", "a", "1,,2", "-3", "4-2", "1-x", "2 ,3"})
        EXPECT_FALSE(frames::FrameList::Parse(text).ok()) << text;
}

struct ExpandCase {
    const char *text;
    std::size_t count;
    std::vector<std::size_t> frames; // empty: refused
};

class FrameListExpand : public ::testing::TestWithParam<ExpandCase> {};

// play sends the frames in the order named; an open range ends at the last.
TEST_P(FrameListExpand, InTheOrderGiven)
{
    const auto expanded = frames::FrameList::Parse(GetParam().text)->Expand(GetParam().count);
    if (GetParam().frames.empty()) {
        ASSERT_FALSE(expanded.ok());
        EXPECT_NE(expanded.message().find("but the file has"), std::string::npos) << expanded.message();
    } else {
        ASSERT_TRUE(expanded.ok()) << expanded.message();
        EXPECT_EQ(*expanded, GetParam().frames);
    }
}

INSTANTIATE_TEST_SUITE_P(Lists, FrameListExpand,
                         ::testing::Values(ExpandCase{"2-", 5, {2, 3, 4}}, ExpandCase{"4,0-1,4", 5, {4, 0, 1, 4}},
                                           ExpandCase{"3-9", 5, {}}, ExpandCase{"5-", 5, {}}, ExpandCase{"7", 5, {}}));

// Flip X, then rotate 90 degrees, then scale, then offset: (100, 50) goes
// to (-100, 50), then (-50, -100), then (-100, -300), then (900, -200).
TEST(Transform, AppliedInTheFixedOrder)
{
    frames::TransformOptions options;
    options.flipX = true;
    options.rotate = 90;
    options.scaleX = 2;
    options.scaleY = 3;
    options.offsetX = 1000;
    options.offsetY = 100;
    std::vector<ilda::Point> out;
    const std::vector<ilda::Point> in = {At(100, 50)};
    frames::MapAndClip(in, frames::BuildAffine(options), out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].x, 900);
    EXPECT_EQ(out[0].y, -200);
}

// A lit line from (0,0) to (40000,0) leaves at x = 32767; the next lit
// point, (0,10000), is reached by a line that comes back in at
// (32767, 1808.1...) after the beam moved there dark.
TEST(Transform, ClipsAtTheEdgeAndNeverWraps)
{
    std::vector<ilda::Point> in = {At(0, 0), At(20000, 0), At(0, 5000)};
    in.back().status |= ilda::kLastPointBit;
    frames::TransformOptions options;
    options.scaleX = 2;
    options.scaleY = 2;
    std::vector<ilda::Point> out;
    const frames::ClipCount count = frames::MapAndClip(in, frames::BuildAffine(options), out);
    EXPECT_EQ(count.outside, 1u);
    EXPECT_EQ(count.inside, 2u);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[1].x, 32767);
    EXPECT_EQ(out[1].y, 0);
    EXPECT_FALSE(out[1].Blanked());
    EXPECT_EQ(out[2].x, 32767);
    EXPECT_EQ(out[2].y, 1808); // 10000 * (40000 - 32767) / 40000
    EXPECT_TRUE(out[2].Blanked());
    EXPECT_EQ(out[3].x, 0);
    EXPECT_EQ(out[3].y, 10000);
    EXPECT_TRUE(out[3].Last());
    EXPECT_FALSE(out[2].Last());
}

TEST(Transform, FitCentresTheExtentInTheSquareWithItsMargin)
{
    frames::Extent extent;
    const std::vector<ilda::Point> in = {At(1000, 1000), At(3000, 2000)};
    extent.Add(in, {});
    const frames::Affine fit = frames::FitAffine(extent, 10);
    std::vector<ilda::Point> out;
    frames::MapAndClip(in, fit, out);
    // 80 % of 65535 is the wider side, 2000 units: a factor of 26.214,
    // about the centre -0.5; halves round away from zero.
    EXPECT_EQ(out[0].x, -26215);
    EXPECT_EQ(out[1].x, 26214);
    EXPECT_EQ(out[0].y, -13108);
    EXPECT_EQ(out[1].y, 13107);
}

} // namespace
