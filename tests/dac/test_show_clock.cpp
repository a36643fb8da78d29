// Which frame is due and which are skipped, on a clock the test turns, and
// an ILDA file's frames read as they are due.
#include "dac/FileShow.h"
#include "dac/Show.h"
#include "dac/ShowClock.h"
#include "ilda/Writing.h"
#include "rtl/Classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

struct ClockCase {
    const char *name;
    dac::Timing timing;
    double frameSlots;                // how long one pass of each frame takes, in slots
    std::vector<std::uint64_t> slots; // on show after each pass
    std::uint64_t skipped;
};

class ShowClockTest : public testing::TestWithParam<ClockCase> {};

TEST_P(ShowClockTest, FramesDueAfterEachPass)
{
    const ClockCase &c = GetParam();
    double now = 0;
    dac::ShowClock clock(4, c.timing, [&now] { return now; }); // slots of 0.25 s
    std::vector<std::uint64_t> slots;
    for (std::size_t pass = 0; pass < c.slots.size(); ++pass) {
        now += c.frameSlots * 0.25;
        slots.push_back(clock.Next());
    }
    EXPECT_EQ(slots, c.slots);
    EXPECT_EQ(clock.Skipped(), c.skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Timing, ShowClockTest,
    testing::Values(ClockCase{"KeepShortFramesRepeat", dac::Timing::Keep, 0.5, {0, 1, 1, 2, 2, 3}, 0},
                    ClockCase{"KeepSkipsWhatALongFrameOverran", dac::Timing::Keep, 2, {2, 4, 6, 8}, 4},
                    ClockCase{"KeepOneAndAHalf", dac::Timing::Keep, 1.5, {1, 3, 4, 6}, 2},
                    ClockCase{"EveryShowsEachFrameAndSlows", dac::Timing::Every, 2, {1, 2, 3, 4}, 0},
                    ClockCase{"EveryShortFramesRepeat", dac::Timing::Every, 0.5, {0, 1, 1, 2, 2, 3}, 0}),
    [](const testing::TestParamInfo<ClockCase> &info) { return std::string(info.param.name); });

TEST(ShowClock, AfterALossKeepGoesOnByTheClockAndEveryWhereItWas)
{
    double now = 0;
    dac::ShowClock keep(4, dac::Timing::Keep, [&now] { return now; });
    dac::ShowClock every(4, dac::Timing::Every, [&now] { return now; });
    now = 0.3;
    EXPECT_EQ(keep.Next(), 1u);
    EXPECT_EQ(every.Next(), 1u);
    now = 1.6; // lost from 0.3 s to 1.6 s
    EXPECT_EQ(keep.DueAt(now), 6u);
    EXPECT_EQ(keep.Resume(), 6u);
    EXPECT_EQ(keep.Skipped(), 4u);
    EXPECT_EQ(every.Resume(), 1u);
    now = 1.8;
    EXPECT_EQ(every.Next(), 1u); // its slot started again at 1.6
    now = 1.86;
    EXPECT_EQ(every.Next(), 2u);
    EXPECT_EQ(every.Skipped(), 0u);
}

// A stream that counts the bytes read through it.
class CountingStream : public rtl::TMemoryStream {
public:
    std::size_t Read(void *buffer, std::size_t count) override
    {
        const std::size_t n = TMemoryStream::Read(buffer, count);
        read_ += n;
        return n;
    }
    std::size_t read_ = 0;
};

std::unique_ptr<CountingStream> File(std::size_t frames, std::size_t points)
{
    ilda::SectionWriter writer;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    for (std::size_t f = 0; f < frames; ++f) {
        std::vector<ilda::Point> frame(points);
        for (std::size_t i = 0; i < points; ++i)
            frame[i].x = static_cast<std::int16_t>(f * 1000 + i);
        writer.AddFrame(header, frame);
    }
    writer.AddEndMarker(header);
    auto stream = std::make_unique<CountingStream>();
    stream->WriteBuffer(writer.Bytes().data(), writer.Bytes().size());
    stream->SetPosition(0);
    return stream;
}

// A show that comes back mid-slot waits, blanked, for the next slot's
// start when it keeps its time; showing every frame, it goes on at once.
TEST(PointFeed, ComesBackOnASlotsStartWhenItKeepsItsTime)
{
    std::vector<std::vector<ilda::Point>> frames(40, std::vector<ilda::Point>(100));
    for (std::size_t k = 0; k < frames.size(); ++k)
        for (std::size_t i = 0; i < 100; ++i)
            frames[k][i].x = static_cast<std::int16_t>(k * 100 + i);
    for (const dac::Timing timing : {dac::Timing::Keep, dac::Timing::Every}) {
        dac::ShowSource source(frames, false);
        dac::PointFeed feed(source, 1000, 10, 0.003, timing); // 100 points a slot, 3 blanked
        std::vector<ilda::Point> out;
        feed.Take(150, out);
        feed.Resume(2.035); // slot 20 began 35 ms before
        out.clear();
        feed.Take(200, out);
        const auto lit = std::find_if(out.begin(), out.end(), [](const ilda::Point &p) { return !p.Blanked(); });
        ASSERT_NE(lit, out.end());
        if (timing == dac::Timing::Keep) {
            EXPECT_EQ(lit - out.begin(), 3 + 65); // until 2.1 s, when slot 21 starts
            EXPECT_EQ(lit->x, 2100);
        } else {
            EXPECT_EQ(lit - out.begin(), 3);
            EXPECT_EQ(lit->x, 100); // the slot on show again, from its start
        }
    }
}

TEST(FileShow, ReadsEachFrameWhenItIsDueInThePlannedOrder)
{
    auto file = File(20, 500);
    CountingStream *counted = file.get();
    const std::int64_t size = counted->Size();
    auto show = dac::FileShow::Open(std::move(file), "show.ild");
    ASSERT_TRUE(show) << show.message();
    EXPECT_EQ((*show)->FrameCount(), 20u);
    EXPECT_LT(counted->read_, static_cast<std::size_t>(size / 20)); // the headers alone
    dac::FileShowPlan plan;
    plan.order = {7, 3};
    plan.loop = true;
    plan.slots = 5;
    plan.prepare = [](std::span<const ilda::Point> points) {
        return std::vector<ilda::Point>(points.begin(), points.begin() + 2);
    };
    (*show)->SetPlan(std::move(plan));
    const std::int16_t expected[] = {7000, 3000, 7000, 3000, 7000};
    for (std::uint64_t slot = 0; slot < 5; ++slot) {
        const auto *frame = (*show)->Frame(slot);
        ASSERT_NE(frame, nullptr);
        ASSERT_EQ(frame->size(), 2u);
        EXPECT_EQ(frame->front().x, expected[slot]);
    }
    EXPECT_EQ((*show)->Frame(5), nullptr);
    EXPECT_LT(counted->read_, static_cast<std::size_t>(size / 2)); // two frames read, each when due
}

TEST(FileShow, AFileWithoutFramesIsRefusedByName)
{
    auto empty = std::make_unique<CountingStream>();
    empty->WriteBuffer("ILDX", 4);
    empty->SetPosition(0);
    const auto show = dac::FileShow::Open(std::move(empty), "junk.ild");
    ASSERT_FALSE(show);
    EXPECT_EQ(show.message().rfind("junk.ild: no frames to play", 0), 0u) << show.message();
}

} // namespace
