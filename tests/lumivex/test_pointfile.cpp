#include "lumivex/PointFile.h"

#include "PointFileBytes.h"

#include "FileBytes.h"
#include "TempDir.h"
#include "rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <string>

namespace lumivex {
namespace {

using test::MakeCountFile;
using test::MakePointFile;

const std::string kColumnLine = "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F "
                                "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F ";

// ---- The count in bytes 48/49 and the verdict it leads to

struct CountCase {
    const char *name;
    std::uint8_t h, l;
    std::size_t fileSize; // 0: exactly the size the count needs
    PointFileVerdict verdict;
    std::uint16_t ptCount;
};

class PointCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(PointCount, VerdictFollowsTheHeader)
{
    const CountCase &c = GetParam();
    const unsigned count = c.h * 255u + c.l;
    std::vector<std::uint8_t> bytes(c.fileSize ? c.fileSize : 66 + 2 * std::size_t{count}, 0);
    bytes[48] = c.h;
    bytes[49] = c.l;
    const PointFile file = DecodePointFile(bytes);
    EXPECT_EQ(file.verdict, c.verdict);
    EXPECT_EQ(file.ptCount, c.ptCount);
    EXPECT_EQ(file.fileSize, bytes.size());
    EXPECT_EQ(file.accepted(), c.verdict == PointFileVerdict::Accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, PointCount,
    ::testing::Values(CountCase{"zero", 0x00, 0x00, 0, PointFileVerdict::Accepted, 0},
                      CountCase{"highByteCounts255", 0x01, 0x00, 0, PointFileVerdict::Accepted, 255},
                      CountCase{"lowByte255", 0x00, 0xFF, 0, PointFileVerdict::Accepted, 255},
                      CountCase{"largestAccepted", 0x07, 0xD7, 0, PointFileVerdict::Accepted, 2000},
                      CountCase{"firstRejected", 0x07, 0xD8, 4096, PointFileVerdict::TooManyPoints, 2001},
                      CountCase{"largestPossible", 0xFF, 0xFF, 4096, PointFileVerdict::TooManyPoints, 65280},
                      CountCase{"oneByteShort", 0x00, 0x0A, 85, PointFileVerdict::Truncated, 10},
                      CountCase{"largestShort", 0x07, 0xD7, 4065, PointFileVerdict::Truncated, 2000}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- Rejected files: the one count line and the message

struct RejectCase {
    const char *name;
    std::vector<std::uint8_t> bytes;
    std::string countLine;
    std::string message;
};

std::vector<std::uint8_t> headerOnly(std::size_t size, std::uint8_t h, std::uint8_t l)
{
    std::vector<std::uint8_t> bytes(size, 0);
    if (size > 48)
        bytes[48] = h;
    if (size > 49)
        bytes[49] = l;
    return bytes;
}

class RejectedFile : public ::testing::TestWithParam<RejectCase> {};

TEST_P(RejectedFile, ListsOnlyTheCountAndExplains)
{
    const RejectCase &c = GetParam();
    const PointFile file = DecodePointFile(c.bytes);
    EXPECT_FALSE(file.accepted());
    EXPECT_EQ(file.listing, std::vector<std::string>{c.countLine});
    EXPECT_EQ(file.message, c.message);
    // Nothing of a rejected file reaches the sample buffers.
    EXPECT_EQ(file.xBuf, SampleBuffer{});
    EXPECT_EQ(file.yBuf, SampleBuffer{});
}

INSTANTIATE_TEST_SUITE_P(
    Messages, RejectedFile,
    ::testing::Values(
        RejectCase{"tooMany", headerOnly(5000, 0x07, 0xD8), "2001 Points",
                   "Appears to be an invalid file with 2001 Points."},
        RejectCase{"tooManyEvenWhenShort", headerOnly(50, 0xFF, 0xFF), "65280 Points",
                   "Appears to be an invalid file with 65280 Points."},
        RejectCase{"empty", {}, "0 Points", "Appears to be a truncated file: 0 Points need 66 bytes, the file holds 0."},
        RejectCase{"threeBytes", {0x41, 0x42, 0x43}, "0 Points",
                   "Appears to be a truncated file: 0 Points need 66 bytes, the file holds 3."},
        RejectCase{"sixteenBytes", headerOnly(16, 0, 0), "0 Points",
                   "Appears to be a truncated file: 0 Points need 66 bytes, the file holds 16."},
        // Byte 48 alone is no count: under 50 bytes the count is 0.
        RejectCase{"fortyNineBytes", headerOnly(49, 0x07, 0), "0 Points",
                   "Appears to be a truncated file: 0 Points need 66 bytes, the file holds 49."},
        RejectCase{"headerWithoutSamples", headerOnly(50, 0x00, 0x05), "5 Points",
                   "Appears to be a truncated file: 5 Points need 76 bytes, the file holds 50."},
        RejectCase{"yAxisCutShort", headerOnly(85, 0x00, 0x0A), "10 Points",
                   "Appears to be a truncated file: 10 Points need 86 bytes, the file holds 85."}),
    [](const auto &info) { return std::string(info.param.name); });

// ---- The listing of accepted files

struct ListingCase {
    unsigned count;
    std::size_t rowsPerAxis;
    std::size_t lastRowValues;
};

class Listing : public ::testing::TestWithParam<ListingCase> {};

TEST_P(Listing, RowsOfThirtyTwo)
{
    const ListingCase &c = GetParam();
    const PointFile file = DecodePointFile(MakeCountFile(c.count));
    ASSERT_TRUE(file.accepted()) << file.message;
    ASSERT_EQ(file.listing.size(), 2 + c.rowsPerAxis + 2 + c.rowsPerAxis);
    EXPECT_EQ(file.listing[0], kColumnLine);
    EXPECT_EQ(file.listing[1], "X VALUES");
    EXPECT_EQ(file.listing[2 + c.rowsPerAxis], "");
    EXPECT_EQ(file.listing[3 + c.rowsPerAxis], "Y VALUES");
    for (std::size_t axis = 0; axis < 2; ++axis) {
        const std::size_t first = axis == 0 ? 2 : 4 + c.rowsPerAxis;
        for (std::size_t r = 0; r < c.rowsPerAxis; ++r) {
            const std::size_t values = r + 1 == c.rowsPerAxis ? c.lastRowValues : 32;
            EXPECT_EQ(file.listing[first + r].size(), values * 3) << "axis " << axis << " row " << r;
        }
    }
    EXPECT_EQ(file.ptCount, c.count);
    EXPECT_EQ(PointFileLabels("a.dat", file).points, "File points:   " + std::to_string(c.count));
}

INSTANTIATE_TEST_SUITE_P(Counts, Listing,
                         ::testing::Values(ListingCase{0, 1, 1}, ListingCase{9, 1, 10}, ListingCase{10, 1, 11},
                                           ListingCase{11, 1, 12}, ListingCase{30, 1, 31}, ListingCase{31, 1, 32},
                                           ListingCase{32, 2, 1}, ListingCase{63, 2, 32},
                                           ListingCase{2000, 63, 17}));

TEST(ListingText, ThirtyTwoPointsHandComputed)
{
    // N = 32: 33 samples, a full row and a row of one on each axis.
    const auto bytes = MakePointFile(0, 32, 33, [](std::size_t k) { return static_cast<std::uint8_t>(0xE0 + k); },
                                     [](std::size_t k) { return static_cast<std::uint8_t>(k * 7); });
    const PointFile file = DecodePointFile(bytes);
    ASSERT_TRUE(file.accepted());
    ASSERT_EQ(file.listing.size(), 8u);
    EXPECT_EQ(file.listing[2], "E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF "
                               "F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF ");
    EXPECT_EQ(file.listing[3], "00 "); // 0xE0 + 32 wraps to 0x00
    EXPECT_EQ(file.listing[6], "00 07 0E 15 1C 23 2A 31 38 3F 46 4D 54 5B 62 69 "
                               "70 77 7E 85 8C 93 9A A1 A8 AF B6 BD C4 CB D2 D9 ");
    EXPECT_EQ(file.listing[7], "E0 ");
}

TEST(ListingText, BytesAfterTheSamplesAreIgnored)
{
    auto bytes = MakeCountFile(3);
    const PointFile plain = DecodePointFile(bytes);
    bytes.insert(bytes.end(), 100, 0xAB);
    const PointFile padded = DecodePointFile(bytes);
    ASSERT_TRUE(padded.accepted());
    EXPECT_EQ(padded.listing, plain.listing);
    EXPECT_EQ(padded.fileSize, plain.fileSize + 100);
}

// ---- Plot coordinates

struct SampleCase {
    std::uint8_t raw;
    std::uint8_t plotX;
    std::uint8_t plotY;
};

class SampleTransform : public ::testing::TestWithParam<SampleCase> {};

TEST_P(SampleTransform, SignedByteAroundPixel128)
{
    const SampleCase &c = GetParam();
    // Sample 0 carries the raw byte on both axes; sample 1 stays 0 as a control.
    const auto bytes = MakePointFile(0, 1, 2, [&](std::size_t k) { return k == 0 ? c.raw : std::uint8_t{0}; },
                                     [&](std::size_t k) { return k == 0 ? c.raw : std::uint8_t{0}; });
    const PointFile file = DecodePointFile(bytes);
    ASSERT_TRUE(file.accepted());
    EXPECT_EQ(file.xBuf[0], c.plotX);
    EXPECT_EQ(file.yBuf[0], c.plotY);
    EXPECT_EQ(file.xBuf[1], 128);
    EXPECT_EQ(file.yBuf[1], 128);
    EXPECT_EQ(file.xBuf[2], 0) << "samples past N stay untouched";
}

INSTANTIATE_TEST_SUITE_P(Bytes, SampleTransform,
                         ::testing::Values(SampleCase{0x00, 128, 128}, SampleCase{0x7F, 255, 1},
                                           SampleCase{0x80, 0, 0}, SampleCase{0x81, 1, 255},
                                           SampleCase{0xFF, 127, 129}, SampleCase{0x01, 129, 127}));

TEST(SampleTransform, EveryStoredSampleOfTheLargestFile)
{
    const PointFile file = DecodePointFile(MakeCountFile(2000));
    ASSERT_TRUE(file.accepted());
    for (std::size_t k = 0; k <= 2000; ++k) {
        ASSERT_EQ(file.xBuf[k], static_cast<std::uint8_t>(k - 128)) << k;
        ASSERT_EQ(file.yBuf[k], static_cast<std::uint8_t>(128 - (255 - k))) << k;
    }
}

TEST(PointFileEdges, ZeroFilledFileOf4096BytesHasOneSample)
{
    const std::vector<std::uint8_t> bytes(4096, 0);
    const PointFile file = DecodePointFile(bytes);
    ASSERT_TRUE(file.accepted());
    EXPECT_EQ(file.listing, (std::vector<std::string>{kColumnLine, "X VALUES", "00 ", "", "Y VALUES", "00 "}));
    EXPECT_EQ(file.xBuf[0], 128);
    EXPECT_EQ(file.yBuf[0], 128);
}

// ---- Labels

TEST(Labels, PointFile)
{
    const PointFile file = DecodePointFile(MakeCountFile(600));
    const FileLabels labels = PointFileLabels("batman.dat", file);
    EXPECT_EQ(labels.fileName, "Filename batman.dat");
    EXPECT_EQ(labels.panelName, "batman.dat");
    EXPECT_EQ(labels.fileSize, "File size in bytes: 1266");
    EXPECT_EQ(labels.points, "File points:   600");
    EXPECT_EQ(labels.structure, "File Structure: 2 bytes per pt. X values before Y values");
}

struct IldaLabelCase {
    std::uint16_t ptCount;
    int plotted;
    const char *points;
};

class IldaLabels : public ::testing::TestWithParam<IldaLabelCase> {};

TEST_P(IldaLabels, OneLessThanThePointsWritten)
{
    const IldaLabelCase &c = GetParam();
    EXPECT_EQ(PlottedSampleCount(c.ptCount), c.plotted);
    const FileLabels labels = IldaFileLabels("out.ild", c.ptCount);
    EXPECT_EQ(labels.fileName, "Filename out.ild");
    EXPECT_EQ(labels.panelName, "out.ild");
    EXPECT_EQ(labels.fileSize, "File size in bytes: Hmm..");
    EXPECT_EQ(labels.points, c.points);
    EXPECT_EQ(labels.structure, "Ilda File Structure: 8 bytes per pt.");
}

INSTANTIATE_TEST_SUITE_P(Counts, IldaLabels,
                         ::testing::Values(IldaLabelCase{0, 0, "File points:   0"},
                                           IldaLabelCase{9, 0, "File points:   0"},
                                           IldaLabelCase{10, 1, "File points:   0"},
                                           IldaLabelCase{11, 2, "File points:   1"},
                                           IldaLabelCase{2000, 1991, "File points:   1990"},
                                           // A rejected count never reaches past the 2001 stored samples.
                                           IldaLabelCase{2011, 2001, "File points:   2000"},
                                           IldaLabelCase{65280, 2001, "File points:   2000"}));

} // namespace
} // namespace lumivex

namespace lumivex {
namespace {

TEST(PointFileHead, FirstBytesOfALargeFileDecodeAsTheWhole)
{
    auto bytes = test::MakeCountFile(2000);
    bytes.resize(1 << 20, 0x5A);
    const PointFile whole = DecodePointFile(bytes);
    const PointFile head = DecodePointFileHead(std::span(bytes).first(kPointFileHeadBytes), bytes.size());
    ASSERT_TRUE(head.accepted());
    EXPECT_EQ(head.listing, whole.listing);
    EXPECT_EQ(head.fileSize, std::uint64_t{1} << 20);
    EXPECT_EQ(head.xBuf, whole.xBuf);
    EXPECT_EQ(head.yBuf, whole.yBuf);
}

TEST(PointFileHead, HeadShorterThanTheSamplesIsTruncated)
{
    const auto bytes = test::MakeCountFile(600);
    const PointFile file = DecodePointFileHead(std::span(bytes).first(100), 5000);
    EXPECT_EQ(file.verdict, PointFileVerdict::Truncated);
    EXPECT_EQ(file.message, "Appears to be a truncated file: 600 Points need 1266 bytes, the file holds 5000.");
}

// ---- Reading from disk: only the head is read, the size is the file's own

TEST(ReadPointFile, LargeFileDecodesFromItsHeadWithItsWholeSize)
{
    testsupport::TempDir dir;
    auto bytes = MakeCountFile(600);
    bytes.resize(3 << 20, 0xEE);
    testsupport::WriteBytes(dir.File("big.dat"), bytes);
    const PointFile file = ReadPointFile(dir.File("big.dat"));
    EXPECT_TRUE(file.accepted());
    EXPECT_EQ(file.fileSize, 3u << 20);
    EXPECT_EQ(file.listing, DecodePointFile(bytes).listing);
}

TEST(ReadPointFile, MissingFileOrFolderRaisesTheOpenError)
{
    testsupport::TempDir dir;
    EXPECT_THROW(ReadPointFile(dir.File("gone.dat")), rtl::EFOpenError);
    EXPECT_THROW(ReadPointFile(dir.Path().string()), rtl::EFOpenError);
}

} // namespace
} // namespace lumivex
