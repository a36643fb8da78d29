// The line index against an independent reading of the line rule.
#include "textlines/TextLines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

using textlines::kMaxLineBytes;
using textlines::TLineIndex;

namespace {

// After a line feed, or after kMaxLineBytes bytes without one.
std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::string line;
    for (const char c : text) {
        line += c;
        if (c == '\n' || line.size() == kMaxLineBytes)
            lines.push_back(std::exchange(line, {}));
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace

// The index arrives in pieces of any size; lines cross them.
class LineIndexPieces : public ::testing::TestWithParam<std::size_t> {};

TEST_P(LineIndexPieces, FindEveryLineStart)
{
    const std::size_t piece = GetParam();
    std::string text;
    std::mt19937 random(5);
    while (text.size() < 300'000) {
        const std::size_t length = random() % 10 == 0 ? random() % 10000 : random() % 90;
        text.append(length, 'x');
        text += random() % 3 ? "\n" : "\r\n";
    }
    TLineIndex index;
    for (std::size_t at = 0; at < text.size(); at += piece)
        index.Feed(text.data() + at, std::min(piece, text.size() - at));
    const std::vector<std::string> lines = SplitLines(text);
    ASSERT_EQ(index.LineCount(), lines.size());
    std::vector<std::uint64_t> starts{0};
    for (const std::string &line : lines)
        starts.push_back(starts.back() + line.size());
    for (std::uint64_t line = 0; line < lines.size(); line += 37) {
        const TLineIndex::Anchor anchor = index.AnchorFor(line);
        ASSERT_LE(anchor.line, line);
        EXPECT_EQ(anchor.offset, starts[anchor.line]);
        // Anchors are close enough that finding a line stays cheap.
        EXPECT_LT(starts[line] - anchor.offset, TLineIndex::kAnchorSpacing + 2 * kMaxLineBytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, LineIndexPieces, ::testing::Values(1, 3, 4095, 4096, 4097, 65536, 1 << 20));
