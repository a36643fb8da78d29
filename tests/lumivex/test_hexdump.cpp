#include "lumivex/HexDump.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace lumivex {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string &text) { return {text.begin(), text.end()}; }

std::string blanks(std::size_t n) { return std::string(n, ' '); }

// ---- Single lines, computed by hand

struct LineCase {
    const char *name;
    std::uint64_t position;
    std::vector<std::uint8_t> bytes;
    std::string expected;
};

class HexLineText : public ::testing::TestWithParam<LineCase> {};

TEST_P(HexLineText, MatchesByHand)
{
    const LineCase &c = GetParam();
    EXPECT_EQ(HexLine(c.position, c.bytes), c.expected);
    char out[kMaxHexLineLength];
    EXPECT_EQ(FormatHexLine(c.position, c.bytes, out), c.expected.size());
}

std::vector<std::uint8_t> sixteen(std::uint8_t first)
{
    std::vector<std::uint8_t> bytes(16);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HexLineText,
    ::testing::Values(
        LineCase{"threeBytes", 0, bytesOf("ABC"), "00000  41 42 43 " + blanks(46) + "ABC\r\n"},
        LineCase{"groupBlankAfterFour", 0x20, bytesOf("ABCD"), "00020  41 42 43 44  " + blanks(42) + "ABCD\r\n"},
        LineCase{"fullLine", 0x10, sixteen(0x00),
                 "00010  00 01 02 03  04 05 06 07  08 09 0A 0B  0C 0D 0E 0F" + blanks(5) + "................\r\n"},
        LineCase{"printableEdges", 0xFFFF0, {31, 32, 126, 127, 0x41, 0x7E, 0xFF, 0x80, 0, 9, 10, 13, 0x61, 0x7A, 0x30, 0x39},
                 "FFFF0  1F 20 7E 7F  41 7E FF 80  00 09 0A 0D  61 7A 30 39" + blanks(5) + ". ~.A~......az09\r\n"},
        // From 0x100000 the hex columns move right; the characters stay at column 63.
        LineCase{"sixDigits", 0x100000, sixteen(0x30),
                 "100000  30 31 32 33  34 35 36 37  38 39 3A 3B  3C 3D 3E 3F" + blanks(4) + "0123456789:;<=>?\r\n"},
        LineCase{"sixDigitsShort", 0x100010, bytesOf("x"), "100010  78 " + blanks(51) + "x\r\n"},
        LineCase{"sevenDigits", 0xABCDEF0, sixteen(0x40),
                 "ABCDEF0  40 41 42 43  44 45 46 47  48 49 4A 4B  4C 4D 4E 4F" + blanks(3) + "@ABCDEFGHIJKLMNO\r\n"},
        // When no blank fits any more the characters follow the hex columns directly.
        LineCase{"sixteenDigits", 0xFEDCBA9876543210, sixteen(0x50),
                 "FEDCBA9876543210  50 51 52 53  54 55 56 57  58 59 5A 5B  5C 5D 5E 5F" + blanks(2) + "PQRSTUVWXYZ[\\]^_\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HexLineText, FullLineIsEightyCharacters)
{
    const std::string line = HexLine(0, sixteen(0x41));
    ASSERT_EQ(line.size(), 80u);
    EXPECT_EQ(line.substr(59, 3), "   ");
    EXPECT_EQ(line.substr(62, 16), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(line.substr(78), "\r\n");
}

TEST(HexLineText, LongestLineFitsTheDeclaredMaximum)
{
    EXPECT_EQ(HexLine(~std::uint64_t{0} - 15, sixteen(0)).size(), kMaxHexLineLength);
}

TEST(HexLineText, NoBytesNoLine)
{
    char out[kMaxHexLineLength];
    EXPECT_EQ(FormatHexLine(0, {}, out), 0u);
}

// ---- Whole blocks are exactly their lines, one after another

struct BlockCase {
    const char *name;
    std::uint64_t position;
    std::size_t size;
};

class HexBlock : public ::testing::TestWithParam<BlockCase> {};

TEST_P(HexBlock, EqualsTheConcatenatedLines)
{
    const BlockCase &c = GetParam();
    std::mt19937 random(static_cast<unsigned>(c.size * 31 + c.position));
    std::vector<std::uint8_t> bytes(c.size);
    for (auto &b : bytes)
        b = static_cast<std::uint8_t>(random());

    std::string expected;
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        const std::size_t n = std::min<std::size_t>(16, bytes.size() - at);
        expected += HexLine(c.position + at, std::span(bytes).subspan(at, n));
    }

    // Guard bytes after the capacity catch any write past it.
    std::string out(HexDumpCapacity(c.size) + 64, '#');
    const std::size_t written = FormatHexLines(c.position, bytes, out.data());
    ASSERT_LE(written, HexDumpCapacity(c.size));
    EXPECT_EQ(out.substr(0, written), expected);
    EXPECT_EQ(out.substr(HexDumpCapacity(c.size)), std::string(64, '#'));
    EXPECT_EQ(HexLineCount(c.size), (c.size + 15) / 16);
}

INSTANTIATE_TEST_SUITE_P(Blocks, HexBlock,
                         ::testing::Values(BlockCase{"empty", 0, 0}, BlockCase{"oneByte", 0, 1},
                                           BlockCase{"fifteen", 0, 15}, BlockCase{"sixteen", 0, 16},
                                           BlockCase{"seventeen", 0, 17}, BlockCase{"page", 0, 4096},
                                           BlockCase{"crossing0x100000", 0xFFF00, 1000},
                                           BlockCase{"farAway", 0xFFFFFFFFF0, 100}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(HexBlock, PageOf4096BytesIs256LinesOf80)
{
    const std::vector<std::uint8_t> bytes(4096, 0x55);
    std::string out(HexDumpCapacity(bytes.size()), '\0');
    out.resize(FormatHexLines(0, bytes, out.data()));
    ASSERT_EQ(out.size(), 256u * 80u);
    EXPECT_EQ(out.substr(255 * 80, 7), "00FF0  ");
}

// ---- Progress text

struct ProgressCase {
    std::int64_t position;
    const char *text;
};

class Progress : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(Progress, DollarAndAtLeastFiveDigits)
{
    EXPECT_EQ(ProgressText(GetParam().position), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Positions, Progress,
                         ::testing::Values(ProgressCase{0, "Reading...  $00000"},
                                           ProgressCase{0x1000, "Reading...  $01000"},
                                           ProgressCase{0xABCDE, "Reading...  $ABCDE"},
                                           ProgressCase{0x100000, "Reading...  $100000"},
                                           ProgressCase{0x7FFFFFFF, "Reading...  $7FFFFFFF"}));

} // namespace
} // namespace lumivex
