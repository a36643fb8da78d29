// The text pane's line index on arbitrary bytes, against a plain reading of
// the line rule: fed in pieces of any size, from memory and from a stream
// indexed a slice at a time, it finds the same lines, anchors and text.
#include "Check.h"

#include "rtl/Classes.h"
#include "textlines/TextLines.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using textlines::kMaxLineBytes;
using textlines::TLineIndex;

namespace {

struct Reference {
    std::vector<std::uint64_t> starts; // of every line, then the text's end
    std::size_t longestFinished = 0;

    std::size_t Lines() const { return starts.size() - 1; }
    std::string_view Line(const std::string &text, std::size_t i) const
    {
        return std::string_view(text).substr(starts[i], starts[i + 1] - starts[i]);
    }
};

// A line ends after a line feed or after kMaxLineBytes bytes; a last line
// without either is unfinished.
Reference Split(const std::string &text)
{
    Reference r;
    r.starts.push_back(0);
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        ++length;
        if (text[i] == '\n' || length == kMaxLineBytes) {
            r.longestFinished = std::max(r.longestFinished, length);
            r.starts.push_back(i + 1);
            length = 0;
        }
    }
    if (length > 0)
        r.starts.push_back(text.size());
    return r;
}

// Bytes of the text: each input byte repeated, so a short input still
// makes lines past kMaxLineBytes and texts past the anchor spacing.
std::string Expand(const std::uint8_t *data, std::size_t size, unsigned repeat)
{
    std::string text;
    text.reserve(size * repeat);
    for (std::size_t i = 0; i < size; ++i)
        text.append(repeat, static_cast<char>(data[i]));
    return text;
}

std::string_view Content(std::string_view line)
{
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::size_t Column(std::string_view line, std::size_t byteIndex)
{
    std::size_t column = 0;
    for (std::size_t i = 0; i < byteIndex; ++i)
        column = line[i] == '\t' ? column - column % 8 + 8 : column + 1;
    return column;
}

void CheckLines(textlines::TLineSource &source, const std::string &text, const Reference &ref, std::uint32_t seed)
{
    FUZZ_CHECK(source.LineCount() == ref.Lines());
    std::vector<std::string> out;
    for (int window = 0; window < 6 && ref.Lines() > 0; ++window) {
        seed = seed * 1103515245u + 12345u;
        const std::uint64_t first = (seed >> 8) % (ref.Lines() + 2);
        const std::size_t count = (seed >> 4) % 40;
        out.clear();
        source.Lines(first, count, out);
        const std::uint64_t end = std::min<std::uint64_t>(ref.Lines(), first + count);
        FUZZ_CHECK(out.size() == (first < end ? end - first : 0));
        for (std::size_t i = 0; i < out.size(); ++i)
            FUZZ_CHECK(out[i] == ref.Line(text, first + i));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    // Mostly short texts, so the search stays quick; one in eight long.
    const unsigned repeat = data[0] >= 224 ? 1u << (data[0] % 7) : 1u;
    std::uint32_t seed = data[1];
    const std::string text = Expand(data + 2, size - 2, repeat);
    const Reference ref = Split(text);

    // Fed in pieces of varying size.
    TLineIndex index;
    for (std::size_t at = 0; at < text.size();) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t piece = std::min<std::size_t>(text.size() - at, 1 + (seed >> 8) % 9000);
        index.Feed(text.data() + at, piece);
        at += piece;
    }
    FUZZ_CHECK(index.Bytes() == text.size());
    FUZZ_CHECK(index.LineCount() == ref.Lines());
    FUZZ_CHECK(index.Longest() == ref.longestFinished);
    for (std::uint64_t line = 0; line < ref.Lines(); ++line) {
        const TLineIndex::Anchor anchor = index.AnchorFor(line);
        FUZZ_CHECK(anchor.line <= line);
        FUZZ_CHECK(anchor.offset == ref.starts[anchor.line]);
        FUZZ_CHECK(ref.starts[line] - anchor.offset < TLineIndex::kAnchorSpacing + 2 * kMaxLineBytes);
        const std::string_view rest(text.data() + ref.starts[line], text.size() - ref.starts[line]);
        FUZZ_CHECK(TLineIndex::LineLength(rest) == ref.starts[line + 1] - ref.starts[line]);
    }

    // Whole text in memory.
    const auto fromText = textlines::TIndexedLines::FromText(text);
    CheckLines(*fromText, text, ref, seed);
    FUZZ_CHECK(fromText->Text() == text);

    // The bytes of an open file, indexed a slice at a time.
    auto file = std::make_unique<rtl::TMemoryStream>(std::vector<std::uint8_t>(text.begin(), text.end()));
    const auto fromFile = textlines::TIndexedLines::FromFile(std::move(file));
    const std::uint64_t slice = 1 + seed % 100000;
    for (int rounds = 0; !fromFile->Complete(); ++rounds) {
        FUZZ_CHECK(rounds <= static_cast<int>(text.size() / slice) + 2);
        fromFile->Advance(std::chrono::hours(1), slice);
    }
    FUZZ_CHECK(fromFile->Done() == text.size());
    CheckLines(*fromFile, text, ref, seed ^ 0x5A5A5A5Au);
    FUZZ_CHECK(fromFile->Text() == text);

    // Columns and line ends, on the start of a few lines (the column walks
    // are quadratic, and long lines teach them nothing new).
    for (std::size_t i = 0; i < ref.Lines() && i < 4; ++i) {
        const std::string_view whole = ref.Line(text, i);
        FUZZ_CHECK(textlines::LineContent(whole) == Content(whole));
        const std::string_view line = whole.substr(0, 300);
        for (std::size_t at = 0; at <= line.size(); at += 1 + line.size() / 8) {
            const std::size_t column = textlines::ColumnOf(line, at);
            FUZZ_CHECK(column == Column(line, at));
            FUZZ_CHECK(textlines::ByteAtColumn(line, column) == at);
        }
    }
    return 0;
}
