// The optimiser's promises, measured with the scanner model on frames of
// the kinds shows are made of.
#include "scan/Figures.h"
#include "scan/Prepare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

using Frame = std::vector<ilda::Point>;

ilda::Point At(double x, double y, bool lit, std::uint8_t index = 1)
{
    ilda::Point point;
    point.x = static_cast<std::int16_t>(std::lround(x));
    point.y = static_cast<std::int16_t>(std::lround(y));
    point.status = lit ? 0 : ilda::kBlankingBit;
    point.indexed = true;
    point.colorIndex = index;
    point.color = lit ? ilda::Rgb(std::uint8_t(40 * index), 255, 0) : 0;
    return point;
}

// A glyph as outline fonts give it: a square outer edge and a round hole,
// each reached by a blanked jump, corners only.
Frame Glyph()
{
    Frame frame = {At(-8000, -8000, false)};
    for (auto [x, y] : {std::pair{8000, -8000}, {8000, 8000}, {-8000, 8000}, {-8000, -8000}})
        frame.push_back(At(x, y, true));
    frame.push_back(At(4000, 0, false));
    for (int k = 1; k <= 24; ++k)
        frame.push_back(
            At(4000 * std::cos(k * std::numbers::pi / 12), 4000 * std::sin(k * std::numbers::pi / 12), true, 2));
    return frame;
}

// Many strokes: a zigzag that turns sharply, a spike that goes back on
// itself, two colours on one stroke, lone dots, and long lit jumps.
Frame Strokes()
{
    Frame frame = {At(-20000, 20000, false)};
    for (int k = 1; k <= 8; ++k)
        frame.push_back(At(-20000 + 1500 * k, 20000 - 2000 * (k % 2), true));
    frame.push_back(At(0, 0, false));
    frame.push_back(At(6000, 0, true, 3));
    frame.push_back(At(0, 300, true, 3));
    frame.push_back(At(0, 6000, true, 4));
    for (int k = 0; k < 5; ++k) {
        frame.push_back(At(-25000 + 9000 * k, -25000, false));
        frame.push_back(At(-25000 + 9000 * k, -25000, true, 5));
    }
    frame.push_back(At(30000, 30000, true));
    frame.push_back(At(-30000, 29000, true));
    return frame;
}

// True-colour strokes whose every point has a colour of its own; the
// optimiser travels the second one backwards.
Frame Gradient()
{
    Frame frame;
    for (int stroke = 0; stroke < 2; ++stroke) {
        frame.push_back(At(-16000, 8000 - 16000 * stroke, false));
        for (int k = 0; k <= 30; ++k) {
            ilda::Point point = At(-15000 + 1000 * k, 8000 - 16000 * stroke + 2500 * std::sin(k / 4.0), true);
            point.indexed = false;
            point.color = ilda::Rgb(std::uint8_t(37 * k), 255, std::uint8_t(91 * k));
            frame.push_back(point);
        }
    }
    return frame;
}

bool Holds(const scan::Figures &figures, const scan::Profile &profile)
{
    return figures.coverage >= 99.5 && figures.stray <= 0.6 && figures.strayShare <= 0.5 &&
           figures.litStepMax <= profile.litStep && figures.blankStepMax <= profile.blankStep;
}

std::set<std::pair<ilda::Color, int>> LitLooks(const Frame &frame)
{
    std::set<std::pair<ilda::Color, int>> looks;
    for (const ilda::Point &point : frame)
        if (!point.Blanked() && point.color != 0)
            looks.insert({point.color, point.colorIndex});
    return looks;
}

struct Case {
    const char *name;
    Frame (*make)();
    const char *profile;
};

class Prepared : public testing::TestWithParam<Case> {};

TEST_P(Prepared, DrawsTheFrameWithinTheProfilesLimits)
{
    const scan::Profile profile = *scan::FindProfile(GetParam().profile);
    const Frame source = GetParam().make();
    const Frame once = scan::PrepareFrame(source, profile);
    ASSERT_FALSE(once.empty());
    EXPECT_TRUE(once.front().Blanked());
    const scan::Figures figures = scan::Measure(once, source, profile);
    EXPECT_TRUE(Holds(figures, profile)) << "coverage " << figures.coverage << ", stray " << figures.stray << ", share "
                                         << figures.strayShare << ", steps " << figures.litStepMax << " / "
                                         << figures.blankStepMax;
    EXPECT_EQ(LitLooks(once), LitLooks(source));

    // Prepared again, it is recognised: no more points, nothing moved.
    const Frame twice = scan::PrepareFrame(once, profile);
    EXPECT_LE(twice.size(), once.size() * 102 / 100);
    EXPECT_TRUE(Holds(scan::Measure(twice, once, profile), profile));
    EXPECT_TRUE(Holds(scan::Measure(twice, source, profile), profile));
}

INSTANTIATE_TEST_SUITE_P(Frames, Prepared,
                         testing::Values(Case{"glyph30k", Glyph, "ilda-30k"}, Case{"glyph12k", Glyph, "ilda-12k"},
                                         Case{"strokes30k", Strokes, "ilda-30k"},
                                         Case{"strokes12k", Strokes, "ilda-12k"},
                                         Case{"gradient30k", Gradient, "ilda-30k"}),
                         [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

struct Lagging {
    const char *name;
    Frame (*make)();
    const char *profile;
    double delay; // µs
};

class PreparedForLag : public testing::TestWithParam<Lagging> {};

// Prepared for a projector whose lasers lag, the frame draws within the
// targets under that lag; prepared as if they did not, it falls short.
TEST_P(PreparedForLag, DrawsTheFrameUnderThatLag)
{
    scan::Profile profile = *scan::FindProfile(GetParam().profile);
    const scan::Profile prompt = profile;
    profile.colorDelay = {GetParam().delay, GetParam().delay, GetParam().delay};
    const Frame source = GetParam().make();
    const Frame made = scan::PrepareFrame(source, profile);
    ASSERT_FALSE(made.empty());
    EXPECT_TRUE(made.front().Blanked());
    EXPECT_TRUE(made.back().Last());
    const scan::Figures figures = scan::Measure(made, source, profile);
    EXPECT_TRUE(Holds(figures, profile)) << "coverage " << figures.coverage << ", stray " << figures.stray << ", share "
                                         << figures.strayShare << ", steps " << figures.litStepMax << " / "
                                         << figures.blankStepMax;
    EXPECT_EQ(LitLooks(made), LitLooks(source));
    const Frame unaware = scan::PrepareFrame(source, prompt);
    if (GetParam().delay > 0)
        EXPECT_FALSE(Holds(scan::Measure(unaware, source, profile), profile));
    else
        EXPECT_EQ(made.size(), unaware.size());
}

INSTANTIATE_TEST_SUITE_P(
    Frames, PreparedForLag,
    testing::Values(Lagging{"glyph0", Glyph, "ilda-30k", 0}, Lagging{"glyph50", Glyph, "ilda-30k", 50},
                    Lagging{"glyph150", Glyph, "ilda-30k", 150}, Lagging{"glyph300", Glyph, "ilda-30k", 300},
                    Lagging{"strokes50", Strokes, "ilda-30k", 50}, Lagging{"strokes300", Strokes, "ilda-30k", 300},
                    Lagging{"strokes12k150", Strokes, "ilda-12k", 150},
                    Lagging{"gradient150", Gradient, "ilda-30k", 150}),
    [](const testing::TestParamInfo<Lagging> &info) { return std::string(info.param.name); });

// Frames of a few random strokes, lines and dots, in a few colours.
Frame RandomFrame(std::mt19937 &random)
{
    std::uniform_int_distribution<int> coordinate(-30000, 30000), count(1, 5), vertices(0, 8), look(1, 5);
    Frame frame;
    for (int stroke = count(random); stroke > 0; --stroke) {
        frame.push_back(At(coordinate(random), coordinate(random), false));
        const int index = look(random);
        for (int k = vertices(random); k >= 0; --k)
            frame.push_back(At(coordinate(random), coordinate(random), true, std::uint8_t(index + k % 2)));
    }
    return frame;
}

class RandomFrames : public testing::TestWithParam<double> {};

TEST_P(RandomFrames, DrawWithinTheTargetsUnderTheLagTheyArePreparedFor)
{
    scan::Profile profile = scan::DefaultProfile();
    profile.colorDelay = {GetParam(), GetParam(), GetParam()};
    std::mt19937 random(20261208);
    for (int trial = 0; trial < 25; ++trial) {
        const Frame source = RandomFrame(random);
        const scan::Figures figures = scan::Measure(scan::PrepareFrame(source, profile), source, profile);
        EXPECT_TRUE(Holds(figures, profile))
            << "frame " << trial << ": coverage " << figures.coverage << ", stray " << figures.stray << ", share "
            << figures.strayShare << ", steps " << figures.litStepMax << " / " << figures.blankStepMax;
    }
}

INSTANTIATE_TEST_SUITE_P(Delays, RandomFrames, testing::Values(0.0, 50.0, 150.0, 300.0));

// Colours no farther apart than the eye tells are one colour: a gentle
// gradient costs no more points than one colour, a steep one waits for the
// mirror where its colour turns.
TEST(Prepare, OnlyColoursThatDifferWaitForTheMirror)
{
    const auto stroke = [](int step) {
        Frame frame = {At(-16000, 0, false)};
        for (int k = 0; k <= 30; ++k) {
            ilda::Point point = At(-15000 + 1000 * k, 2500 * std::sin(k / 4.0), true);
            point.indexed = false;
            point.color = ilda::Rgb(std::uint8_t(100 + step * (k / 6)), 255, 0);
            frame.push_back(point);
        }
        return frame;
    };
    const scan::Profile &profile = scan::DefaultProfile();
    const std::size_t plain = scan::PrepareFrame(stroke(0), profile).size();
    EXPECT_EQ(scan::PrepareFrame(stroke(1), profile).size(), plain);
    const Frame steep = stroke(30);
    const Frame made = scan::PrepareFrame(steep, profile);
    EXPECT_GT(made.size(), plain);
    EXPECT_GE(scan::Measure(made, steep, profile).coverage, 99.5);
}

TEST(Prepare, FramesWithNothingLit)
{
    EXPECT_TRUE(scan::PrepareFrame(Frame{}, scan::DefaultProfile()).empty());
    const Frame dark = scan::PrepareFrame(Frame{At(100, 200, false), At(-30000, 30000, false)}, scan::DefaultProfile());
    ASSERT_EQ(dark.size(), 1u);
    EXPECT_TRUE(dark[0].Blanked());
    EXPECT_EQ(dark[0].x, 100);
}

} // namespace
