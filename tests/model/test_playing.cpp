#include "model/PtObject.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

// Point p of frame f carries X = 100 f + p and a colour of its own.
std::int32_t XOf(int f, int p) { return 100 * f + p; }
std::uint32_t ColorOf(int f, int p) { return 0x100u + static_cast<std::uint32_t>(XOf(f, p)); }

TFrameList *MakeList(const std::vector<int> &sizes)
{
    auto *list = new TFrameList;
    for (std::size_t f = 0; f < sizes.size(); ++f) {
        auto frame = std::make_unique<TFrm>();
        for (int p = 0; p < sizes[f]; ++p) {
            const int fi = static_cast<int>(f);
            frame->AddPoint(XOf(fi, p), -XOf(fi, p), fi, ColorOf(fi, p), 0, 1);
        }
        list->Add(std::move(frame));
    }
    return list;
}

struct Step {
    int frame; // -1: the all-zero point of a missing frame or point
    int point;
    bool blanked;
    bool frameEnd;
};

struct PlayCase {
    const char *name;
    std::vector<int> sizes;
    std::vector<Step> steps;
};

std::ostream &operator<<(std::ostream &os, const PlayCase &c) { return os << c.name; }

class Playing : public ::testing::TestWithParam<PlayCase> {};

} // namespace

TEST_P(Playing, DeliversFrameAfterFrameAndStartsOver)
{
    std::unique_ptr<TFrameList> list(MakeList(GetParam().sizes));
    int n = 0;
    for (const Step &step : GetParam().steps) {
        TOutPoint p;
        p.FrameEnd = !step.frameEnd;
        list->GetNextPoint(p);
        SCOPED_TRACE("step " + std::to_string(n++));
        if (step.frame < 0) {
            EXPECT_EQ(p.X, 0);
            EXPECT_EQ(p.Y, 0);
            EXPECT_EQ(p.Z, 0);
            EXPECT_EQ(p.Color, 0u);
        } else {
            EXPECT_EQ(p.X, XOf(step.frame, step.point));
            EXPECT_EQ(p.Y, -XOf(step.frame, step.point));
            EXPECT_EQ(p.Z, step.frame);
            EXPECT_EQ(p.Color, step.blanked ? 0u : ColorOf(step.frame, step.point));
        }
        EXPECT_EQ(p.FrameEnd, step.frameEnd);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, Playing,
    ::testing::Values(
        PlayCase{"OneFrameOfThree", {3}, {{0, 0, true, false}, {0, 1, false, false}, {0, 2, false, true}, {0, 0, true, false}}},
        PlayCase{"TwoFramesOfTwo",
                 {2, 2},
                 {{0, 0, true, false}, {0, 1, false, true}, {1, 0, false, false}, {1, 1, false, true}, {0, 0, true, false}}},
        PlayCase{"EmptyFrameBetween", {1, 0, 1}, {{0, 0, true, true}, {-1, 0, false, true}, {2, 0, false, true}, {0, 0, true, true}}},
        PlayCase{"EmptyFirstFrame", {0, 2}, {{-1, 0, false, true}, {1, 0, false, false}, {1, 1, false, true}, {-1, 0, false, true}}},
        PlayCase{"NoFrames", {}, {{-1, 0, false, true}, {-1, 0, false, true}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Playing, RewindStartsAgainBlanked)
{
    std::unique_ptr<TFrameList> list(MakeList({2, 2}));
    TOutPoint p;
    list->GetNextPoint(p);
    list->GetNextPoint(p);
    list->GetNextPoint(p);
    EXPECT_EQ(list->CurFrame, 1);
    EXPECT_EQ(list->CurPoint, 1);
    list->Rewind();
    EXPECT_EQ(list->CurFrame, 0);
    EXPECT_EQ(list->CurPoint, 0);
    list->GetNextPoint(p);
    EXPECT_EQ(p.X, XOf(0, 0));
    EXPECT_EQ(p.Color, 0u);
}

TEST(Playing, PositionPastTheFramesAfterClearingDoesNotCrash)
{
    std::unique_ptr<TFrameList> list(MakeList({1, 1}));
    TOutPoint p;
    list->GetNextPoint(p);
    EXPECT_EQ(list->CurFrame, 1);
    list->ClearItems(); // the playing position stays where it was
    EXPECT_EQ(list->CurFrame, 1);
    list->GetNextPoint(p);
    EXPECT_EQ(p.X, 0);
    EXPECT_TRUE(p.FrameEnd);
    EXPECT_EQ(list->CurFrame, 0);
}
