// Where a text view gets its lines from. A view only ever asks for the
// lines it shows, so a source never has to hold a whole file's text:
// - TConvertedLines: a conversion that formats any line straight from the file;
// - TIndexedLines: text (in memory, in the file itself, or spooled from a
//   conversion into a temporary file) indexed by line starts, a little at a
//   time, with one anchor per 64 KiB so the index stays small for any file.
#pragma once

#include "rtl/Classes.h"
#include "textlines/Conversion.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace textlines {

// A run of this many bytes without a line feed is shown as several lines, so
// that a binary file without line feeds cannot become one enormous line. The
// split adds no characters: the text stays byte for byte the file's.
constexpr std::size_t kMaxLineBytes = 4096;

// Line starts of a text that arrives in pieces. A line ends after a line
// feed, after kMaxLineBytes bytes without one, or at the end of the text.
class TLineIndex {
public:
    struct Anchor {
        std::uint64_t line = 0;
        std::uint64_t offset = 0;
    };

    static constexpr std::uint64_t kAnchorSpacing = 64 * 1024;

    // Takes the next size bytes of the text.
    void Feed(const char *data, std::size_t size);

    std::uint64_t Bytes() const { return bytes_; }
    // Lines begun so far; a last line without a line feed counts.
    std::uint64_t LineCount() const { return lines_ + (lineStart_ < bytes_ ? 1 : 0); }
    // The longest finished line in bytes, line end included.
    std::size_t Longest() const { return longest_; }
    // A known line start at or before line, from which to walk to it.
    Anchor AnchorFor(std::uint64_t line) const;

    // Length of the line that starts at text[0], by the same rule.
    static std::size_t LineLength(std::string_view text);

private:
    void startLine(std::uint64_t offset);

    std::vector<Anchor> anchors_{Anchor{}};
    std::uint64_t nextAnchor_ = kAnchorSpacing;
    std::uint64_t bytes_ = 0;
    std::uint64_t lines_ = 0; // finished lines
    std::uint64_t lineStart_ = 0;
    std::size_t longest_ = 0;
};

// Random access to bytes, for the indexed text.
class TByteStore {
public:
    virtual ~TByteStore() = default;
    // Copies up to size bytes from offset; fewer at the end.
    virtual std::size_t ReadAt(std::uint64_t offset, char *buffer, std::size_t size) = 0;
};

class TMemoryStore : public TByteStore {
public:
    explicit TMemoryStore(std::string text) : text_(std::move(text)) {}
    std::size_t ReadAt(std::uint64_t offset, char *buffer, std::size_t size) override;
    const std::string &Text() const { return text_; }

private:
    std::string text_;
};

// Reads through a stream the store owns (the opened file).
class TStreamStore : public TByteStore {
public:
    explicit TStreamStore(std::unique_ptr<rtl::TStream> stream) : stream_(std::move(stream)) {}
    std::size_t ReadAt(std::uint64_t offset, char *buffer, std::size_t size) override;
    rtl::TStream &Stream() { return *stream_; }

private:
    std::unique_ptr<rtl::TStream> stream_;
};

// An anonymous temporary file that text is appended to; gone when closed.
class TSpoolStore : public TByteStore {
public:
    TSpoolStore();
    ~TSpoolStore() override;
    TSpoolStore(const TSpoolStore &) = delete;
    TSpoolStore &operator=(const TSpoolStore &) = delete;

    std::size_t ReadAt(std::uint64_t offset, char *buffer, std::size_t size) override;
    // rtl::EWriteError when the disk takes no more.
    void Append(const char *data, std::size_t size);

private:
    std::FILE *file_ = nullptr;
    std::uint64_t size_ = 0;
};

class TLineSource {
public:
    virtual ~TLineSource() = default;

    virtual std::uint64_t LineCount() const = 0;
    // Appends lines first .. first + count - 1 to out (fewer past the end),
    // each with its line end.
    virtual void Lines(std::uint64_t first, std::size_t count, std::vector<std::string> &out) = 0;
    // The longest line known so far, in bytes: a hint for the horizontal range.
    virtual std::size_t Longest() const = 0;
    // The whole text. Finishes any indexing first.
    virtual std::string Text() = 0;

    // Indexing left to do in slices between events.
    virtual bool Complete() const { return true; }
    // Works until the budget is spent, about maxBytes more are indexed, or
    // the text is complete.
    virtual void Advance(std::chrono::steady_clock::duration /*budget*/, std::uint64_t /*maxBytes*/ = UINT64_MAX) {}
    // How far the indexing got, in bytes of the file.
    virtual std::uint64_t Done() const { return 0; }
};

// Lines formatted on demand by a conversion with line access.
class TConvertedLines : public TLineSource {
public:
    TConvertedLines(std::unique_ptr<TConversion> conversion, std::unique_ptr<rtl::TStream> stream);
    ~TConvertedLines() override;

    std::uint64_t LineCount() const override { return count_; }
    void Lines(std::uint64_t first, std::size_t count, std::vector<std::string> &out) override;
    std::size_t Longest() const override { return longest_; }
    std::string Text() override;

private:
    std::unique_ptr<TConversion> conversion_;
    std::unique_ptr<rtl::TStream> stream_;
    std::uint64_t count_ = 0;
    std::size_t longest_ = 0;
};

// Text in a byte store, indexed as it arrives. What feeds it decides where
// the text comes from.
class TIndexedLines : public TLineSource {
public:
    // The whole text, in memory: indexed at once.
    static std::unique_ptr<TIndexedLines> FromText(std::string text);
    // The bytes of an open file, indexed by Advance.
    static std::unique_ptr<TIndexedLines> FromFile(std::unique_ptr<rtl::TStream> file);
    // A conversion's ReadConverted text, spooled to a temporary file by Advance.
    static std::unique_ptr<TIndexedLines> FromConversion(std::unique_ptr<TConversion> conversion,
                                                         std::unique_ptr<rtl::TStream> file);
    ~TIndexedLines() override;

    std::uint64_t LineCount() const override { return index_.LineCount(); }
    void Lines(std::uint64_t first, std::size_t count, std::vector<std::string> &out) override;
    std::size_t Longest() const override { return index_.Longest(); }
    std::string Text() override;

    bool Complete() const override { return complete_; }
    void Advance(std::chrono::steady_clock::duration budget, std::uint64_t maxBytes = UINT64_MAX) override;
    std::uint64_t Done() const override;

private:
    class TFeeder;
    class TFileFeeder;
    class TConversionFeeder;

    TIndexedLines(std::unique_ptr<TByteStore> store, std::unique_ptr<TFeeder> feeder);
    // The bytes from offset on that lie in the cache, at least want of them
    // when the indexed text holds that many.
    std::string_view view(std::uint64_t offset, std::size_t want);

    std::unique_ptr<TByteStore> store_;
    std::unique_ptr<TFeeder> feeder_;
    TLineIndex index_;
    bool complete_ = false;
    std::vector<char> cache_;
    std::uint64_t cacheStart_ = 0;
    std::size_t cacheSize_ = 0;
};

// A conversion's ReadConverted, its count held to 0 .. size whatever it says.
int ReadConvertedChecked(TConversion &conversion, rtl::TStream &stream, char *buffer, int size);
// Calls ReadConverted until it returns 0 and keeps what it produced.
std::string ReadAllConverted(TConversion &conversion, rtl::TStream &stream);

// Reads through another stream and ends at limit, counting the position
// itself: devices report size 0 and position 0 yet may never end (a link
// to /dev/zero), and a conversion must still meet an end.
class TBoundedStream : public rtl::TStream {
public:
    TBoundedStream(rtl::TStream &inner, std::int64_t limit) : inner_(inner), limit_(limit) {}
    std::size_t Read(void *buffer, std::size_t count) override;
    std::size_t Write(const void *, std::size_t) override { return 0; }
    std::int64_t Position() const override { return position_; }
    void SetPosition(std::int64_t position) override;
    std::int64_t Size() const override { return inner_.Size(); }

private:
    rtl::TStream &inner_;
    std::int64_t limit_;
    std::int64_t position_ = 0;
};
// The stream's bytes up to its end, at most maxInput of them.
std::string ReadAllBytes(rtl::TStream &stream, std::int64_t maxInput);

// Display columns of a line, with tabs every 8 columns.
std::size_t ColumnOf(std::string_view line, std::size_t byteIndex);
// The byte boundary nearest to column (0 .. line.size()).
std::size_t ByteAtColumn(std::string_view line, std::size_t column);
// The line without its line end (LF, CR LF or a lone CR at the end).
std::string_view LineContent(std::string_view line);

} // namespace textlines
