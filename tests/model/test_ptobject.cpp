#include "model/PtObject.h"
#include "rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

std::vector<std::uint8_t> ImageOf(TBaseList &list)
{
    rtl::TMemoryStream s;
    list.SaveToStream(s);
    return s.Bytes();
}

void ExpectSamePoint(const TPtRec &a, const TPtRec &b)
{
    EXPECT_EQ(a.X, b.X);
    EXPECT_EQ(a.Y, b.Y);
    EXPECT_EQ(a.Z, b.Z);
    EXPECT_EQ(a.Color, b.Color);
    EXPECT_EQ(a.ColorIndex, b.ColorIndex);
    EXPECT_EQ(a.Status, b.Status);
    EXPECT_EQ(a.Spare, b.Spare);
}

void ExpectSameFrame(const TFrm &a, const TFrm &b)
{
    EXPECT_EQ(a.Name.Str(), b.Name.Str());
    ASSERT_EQ(a.Count(), b.Count());
    for (int i = 0; i < a.Count(); ++i)
        ExpectSamePoint(a.GetPoint(i)->Data, b.GetPoint(i)->Data);
}

std::unique_ptr<TFrm> MakeFrame(const std::string &name, int points, int seed)
{
    auto frame = std::make_unique<TFrm>();
    frame->Name.Assign(name);
    for (int i = 0; i < points; ++i)
        frame->AddPoint(seed * 1000 + i, -seed * 1000 - i, i % 7 - 3, 0x010203u * static_cast<std::uint32_t>(i),
                        static_cast<std::uint8_t>(i == points - 1 ? 0x80 : 0),
                        static_cast<std::uint8_t>(seed + i));
    return frame;
}

} // namespace

TEST(Tpt, ImageIsTwentyLittleEndianBytes)
{
    Tpt p;
    p.Data = {-2, 0x01020304, std::numeric_limits<std::int32_t>::min(), 0x00332211u, 7, 0xC0, {0x11, 0x22}};
    rtl::TMemoryStream s;
    p.SaveToStream(s);
    const std::vector<std::uint8_t> expected = {0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00,
                                                0x00, 0x80, 0x11, 0x22, 0x33, 0x00, 7, 0xC0, 0x11, 0x22};
    EXPECT_EQ(s.Bytes(), expected);

    s.SetPosition(0);
    Tpt back;
    back.LoadFromStream(s);
    ExpectSamePoint(back.Data, p.Data);
}

TEST(Tpt, ShortImageRaisesAndKeepsTheData)
{
    rtl::TMemoryStream s(std::vector<std::uint8_t>(19, 0xFF));
    Tpt p;
    p.Data.X = 42;
    EXPECT_THROW(p.LoadFromStream(s), rtl::EReadError);
    EXPECT_EQ(p.Data.X, 42);
}

TEST(Frm, AddPointAppendsTheSixValues)
{
    TFrm frame;
    EXPECT_EQ(frame.Name.Str(), "Quorvane");
    EXPECT_EQ(frame.Count(), 0);
    frame.AddPoint(100, -200, 0, 0x0000FF, 0, 3);
    ASSERT_EQ(frame.Count(), 1);
    const TPtRec &p = frame.GetPoint(0)->Data;
    EXPECT_EQ(p.X, 100);
    EXPECT_EQ(p.Y, -200);
    EXPECT_EQ(p.Z, 0);
    EXPECT_EQ(p.Color, 0x0000FFu);
    EXPECT_EQ(p.Status, 0);
    EXPECT_EQ(p.ColorIndex, 3);
    EXPECT_EQ(p.Spare[0] | p.Spare[1], 0);
}

class FrmBadIndex : public ::testing::TestWithParam<int> {};

TEST_P(FrmBadIndex, RaisesTheListError)
{
    auto frame = MakeFrame("f", 3, 1);
    try {
        frame->GetPoint(GetParam());
        FAIL() << "no error for " << GetParam();
    } catch (const rtl::EListError &e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(GetParam()) + ")");
    }
}

INSTANTIATE_TEST_SUITE_P(Indices, FrmBadIndex, ::testing::Values(-1, 3, 1000000));

TEST(Frm, ImageRoundTripsAndLoadingAppends)
{
    auto frame = MakeFrame("two", 2, 4);
    frame->GetPoint(1)->Data.Spare = {0xAB, 0xCD};
    const auto image = ImageOf(*frame);
    ASSERT_EQ(image.size(), 33u + 4u + 2u * 20u);
    EXPECT_EQ(image[33], 2); // the count, little-endian
    EXPECT_EQ(image[36], 0);

    rtl::TMemoryStream in(image);
    TFrm copy;
    copy.LoadFromStream(in);
    ExpectSameFrame(copy, *frame);
    EXPECT_EQ(ImageOf(copy), image); // spare bytes come back as they were

    in.SetPosition(0);
    copy.LoadFromStream(in);
    ASSERT_EQ(copy.Count(), 4);
    ExpectSamePoint(copy.GetPoint(3)->Data, frame->GetPoint(1)->Data);
}

TEST(Frm, NegativeCountLoadsNoPoints)
{
    TFrm frame;
    auto image = ImageOf(frame);
    image[33] = image[34] = image[35] = image[36] = 0xFF; // -1
    rtl::TMemoryStream in(image);
    frame.LoadFromStream(in);
    EXPECT_EQ(frame.Count(), 0);
}

TEST(Frm, ClearItemsDropsThePoints)
{
    auto frame = MakeFrame("f", 5, 1);
    frame->ClearItems();
    EXPECT_EQ(frame->Count(), 0);
    EXPECT_EQ(frame->Points().capacity(), 0u);
}

// A frame image cut at every length keeps the complete points only.
TEST(Frm, ImageCutAnywhereRaisesAndKeepsWholePoints)
{
    const auto image = ImageOf(*MakeFrame("cut", 3, 2));
    for (std::size_t size = 0; size < image.size(); ++size) {
        rtl::TMemoryStream in(std::vector<std::uint8_t>(image.begin(), image.begin() + static_cast<long>(size)));
        TFrm frame;
        EXPECT_THROW(frame.LoadFromStream(in), rtl::EReadError) << size;
        const int whole = size < 37 ? 0 : static_cast<int>((size - 37) / 20);
        EXPECT_EQ(frame.Count(), whole) << size;
        EXPECT_LE(in.Position(), static_cast<std::int64_t>(size));
    }
}

TEST(Frm, HugeCountOnLittleDataAllocatesOnlyForTheData)
{
    auto image = ImageOf(*MakeFrame("liar", 1, 1));
    image[33] = image[34] = image[35] = 0xFF;
    image[36] = 0x7F; // 2^31 - 1 points announced, one present
    rtl::TMemoryStream in(image);
    TFrm frame;
    EXPECT_THROW(frame.LoadFromStream(in), rtl::EReadError);
    EXPECT_EQ(frame.Count(), 1);
    EXPECT_LE(frame.Points().capacity(), 1u);
}

TEST(FrameList, StartsEmptyAtTheFirstPoint)
{
    TFrameList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Name.Str(), "Quorvane");
    EXPECT_EQ(list.CurFrame, 0);
    EXPECT_EQ(list.CurPoint, 0);
}

class FrameListBadIndex : public ::testing::TestWithParam<int> {};

TEST_P(FrameListBadIndex, GetFrameGivesNull)
{
    TFrameList list;
    list.Add(MakeFrame("a", 1, 1));
    list.Add(MakeFrame("b", 1, 2));
    EXPECT_EQ(list.GetFrame(GetParam()), nullptr);
    EXPECT_NE(list.GetFrame(1), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Indices, FrameListBadIndex, ::testing::Values(-1, 2, std::numeric_limits<int>::min()));

TEST(FrameList, ImageRoundTripsAndLoadingAppends)
{
    TFrameList list;
    list.Name.Assign("show");
    list.Add(MakeFrame("a", 3, 1));
    list.Add(MakeFrame("empty", 0, 2));
    list.Add(MakeFrame("c", 1000, 3));
    const auto image = ImageOf(list);
    EXPECT_EQ(image.size(), 33u + 4u + 3u * 37u + 1003u * 20u);

    rtl::TMemoryStream in(image);
    TFrameList copy;
    copy.LoadFromStream(in);
    EXPECT_EQ(copy.Name.Str(), "show");
    ASSERT_EQ(copy.Count(), 3);
    for (int i = 0; i < 3; ++i)
        ExpectSameFrame(*copy.GetFrame(i), *list.GetFrame(i));
    EXPECT_EQ(ImageOf(copy), image);

    in.SetPosition(0);
    copy.LoadFromStream(in);
    EXPECT_EQ(copy.Count(), 6);
}

TEST(FrameList, ImageCutAnywhereKeepsWholeFrames)
{
    TFrameList list;
    list.Add(MakeFrame("a", 2, 1));
    list.Add(MakeFrame("b", 1, 2));
    const auto image = ImageOf(list);
    const std::size_t firstEnd = 37 + 37 + 2 * 20;
    for (std::size_t size = 0; size < image.size(); ++size) {
        rtl::TMemoryStream in(std::vector<std::uint8_t>(image.begin(), image.begin() + static_cast<long>(size)));
        TFrameList copy;
        EXPECT_THROW(copy.LoadFromStream(in), rtl::EReadError) << size;
        EXPECT_EQ(copy.Count(), size < firstEnd ? 0 : 1) << size;
    }
}

TEST(FrameList, HugeFrameCountOnNoDataStopsAtOnce)
{
    TFrameList list;
    auto image = ImageOf(list);
    image[33] = image[34] = image[35] = 0xFF;
    image[36] = 0x7F;
    rtl::TMemoryStream in(image);
    EXPECT_THROW(list.LoadFromStream(in), rtl::EReadError);
    EXPECT_EQ(list.Count(), 0);
}
