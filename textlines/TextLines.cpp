#include "textlines/TextLines.h"

#include "rtl/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/types.h>

namespace textlines {

// ---- TLineIndex

void TLineIndex::Feed(const char *data, std::size_t size)
{
    std::size_t pos = 0;
    while (pos < size) {
        // Lines are finished as soon as they reach kMaxLineBytes, so room > 0.
        const auto room = static_cast<std::size_t>(kMaxLineBytes - (bytes_ + pos - lineStart_));
        const std::size_t span = std::min(room, size - pos);
        if (const void *lf = std::memchr(data + pos, '\n', span)) {
            pos = static_cast<std::size_t>(static_cast<const char *>(lf) - data) + 1;
            startLine(bytes_ + pos);
        } else if (span == room) {
            pos += span;
            startLine(bytes_ + pos);
        } else {
            pos = size;
        }
    }
    bytes_ += size;
}

void TLineIndex::startLine(std::uint64_t offset)
{
    longest_ = std::max(longest_, static_cast<std::size_t>(offset - lineStart_));
    ++lines_;
    lineStart_ = offset;
    if (offset >= nextAnchor_) {
        anchors_.push_back({lines_, offset});
        nextAnchor_ = (offset / kAnchorSpacing + 1) * kAnchorSpacing;
    }
}

TLineIndex::Anchor TLineIndex::AnchorFor(std::uint64_t line) const
{
    auto it = std::upper_bound(anchors_.begin(), anchors_.end(), line,
                               [](std::uint64_t l, const Anchor &a) { return l < a.line; });
    return *std::prev(it); // anchors_[0] is line 0, so it is never begin()
}

std::size_t TLineIndex::LineLength(std::string_view text)
{
    const std::size_t span = std::min(text.size(), kMaxLineBytes);
    if (const void *lf = std::memchr(text.data(), '\n', span))
        return static_cast<std::size_t>(static_cast<const char *>(lf) - text.data()) + 1;
    return span;
}

// ---- Byte stores

std::size_t TMemoryStore::ReadAt(std::uint64_t offset, char *buffer, std::size_t size)
{
    if (offset >= text_.size())
        return 0;
    const std::size_t n = std::min<std::size_t>(size, text_.size() - static_cast<std::size_t>(offset));
    std::memcpy(buffer, text_.data() + offset, n);
    return n;
}

std::size_t TStreamStore::ReadAt(std::uint64_t offset, char *buffer, std::size_t size)
{
    stream_->SetPosition(static_cast<std::int64_t>(offset));
    return stream_->Read(buffer, size);
}

TSpoolStore::TSpoolStore() : file_(std::tmpfile())
{
    if (!file_)
        throw rtl::EFCreateError("Cannot create a temporary file");
}

TSpoolStore::~TSpoolStore()
{
    std::fclose(file_);
}

std::size_t TSpoolStore::ReadAt(std::uint64_t offset, char *buffer, std::size_t size)
{
    if (offset >= size_ || ::fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0)
        return 0;
    return std::fread(buffer, 1, std::min<std::uint64_t>(size, size_ - offset), file_);
}

void TSpoolStore::Append(const char *data, std::size_t size)
{
    errno = 0;
    if (::fseeko(file_, static_cast<off_t>(size_), SEEK_SET) != 0 || std::fwrite(data, 1, size, file_) != size)
        throw rtl::EWriteError(rtl::CannotWriteText("a temporary file", errno != 0 ? errno : EIO));
    size_ += size;
}

// ---- TConvertedLines

TConvertedLines::TConvertedLines(std::unique_ptr<TConversion> conversion, std::unique_ptr<rtl::TStream> stream)
    : conversion_(std::move(conversion)), stream_(std::move(stream))
{
    count_ = conversion_->LineCount(static_cast<std::uint64_t>(std::max<std::int64_t>(0, stream_->Size())));
    if (count_ > 0) {
        // Lines grow only with the position's digits: the last one is the widest.
        longest_ = std::max(conversion_->LineAt(*stream_, 0).size(), conversion_->LineAt(*stream_, count_ - 1).size());
    }
}

TConvertedLines::~TConvertedLines() = default;

void TConvertedLines::Lines(std::uint64_t first, std::size_t count, std::vector<std::string> &out)
{
    for (std::uint64_t line = first; line < count_ && line - first < count; ++line) {
        out.push_back(conversion_->LineAt(*stream_, line));
        longest_ = std::max(longest_, out.back().size());
    }
}

std::string TConvertedLines::Text()
{
    std::string text;
    for (std::uint64_t line = 0; line < count_; ++line)
        text += conversion_->LineAt(*stream_, line);
    return text;
}

// ---- TIndexedLines and what feeds it

namespace {
constexpr std::size_t kFeedChunk = 1 << 20;
constexpr std::size_t kCacheSize = 256 * 1024;
} // namespace

class TIndexedLines::TFeeder {
public:
    virtual ~TFeeder() = default;
    // Places the next bytes of the text into buffer; 0 at the end.
    virtual std::size_t Next(std::vector<char> &buffer) = 0;
    virtual std::uint64_t Done() const = 0;
};

// The file is its own text: read it once, front to back, for the index.
class TIndexedLines::TFileFeeder : public TFeeder {
public:
    TFileFeeder(TStreamStore &store)
        : store_(store), size_(static_cast<std::uint64_t>(std::max<std::int64_t>(0, store.Stream().Size())))
    {
    }
    std::size_t Next(std::vector<char> &buffer) override
    {
        if (done_ >= size_)
            return 0;
        buffer.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kFeedChunk, size_ - done_)));
        const std::size_t n = store_.ReadAt(done_, buffer.data(), buffer.size());
        done_ += n;
        if (n == 0)
            done_ = size_; // the file shrank under us: its text ends here
        return n;
    }
    std::uint64_t Done() const override { return done_; }

private:
    TStreamStore &store_;
    std::uint64_t size_;
    std::uint64_t done_ = 0;
};

// A conversion without line access: its text is produced in order and kept
// in a temporary file rather than in memory.
class TIndexedLines::TConversionFeeder : public TFeeder {
public:
    TConversionFeeder(std::unique_ptr<TConversion> conversion, std::unique_ptr<rtl::TStream> file, TSpoolStore &spool)
        : conversion_(std::move(conversion)), file_(std::move(file)), spool_(spool)
    {
    }
    std::size_t Next(std::vector<char> &buffer) override
    {
        constexpr int kCall = 4096;
        buffer.resize(kFeedChunk / 16);
        std::size_t used = 0;
        while (used + kCall <= buffer.size()) {
            const int n = ReadConvertedChecked(*conversion_, *file_, buffer.data() + used, kCall);
            if (n == 0)
                break;
            used += static_cast<std::size_t>(n);
        }
        spool_.Append(buffer.data(), used);
        return used;
    }
    std::uint64_t Done() const override { return static_cast<std::uint64_t>(file_->Position()); }

private:
    std::unique_ptr<TConversion> conversion_;
    std::unique_ptr<rtl::TStream> file_;
    TSpoolStore &spool_;
};

TIndexedLines::TIndexedLines(std::unique_ptr<TByteStore> store, std::unique_ptr<TFeeder> feeder)
    : store_(std::move(store)), feeder_(std::move(feeder))
{
}

TIndexedLines::~TIndexedLines() = default;

std::unique_ptr<TIndexedLines> TIndexedLines::FromText(std::string text)
{
    auto store = std::make_unique<TMemoryStore>(std::move(text));
    const std::string &held = store->Text();
    std::unique_ptr<TIndexedLines> lines(new TIndexedLines(std::move(store), nullptr));
    lines->index_.Feed(held.data(), held.size());
    lines->complete_ = true;
    return lines;
}

std::unique_ptr<TIndexedLines> TIndexedLines::FromFile(std::unique_ptr<rtl::TStream> file)
{
    auto store = std::make_unique<TStreamStore>(std::move(file));
    auto feeder = std::make_unique<TFileFeeder>(*store);
    return std::unique_ptr<TIndexedLines>(new TIndexedLines(std::move(store), std::move(feeder)));
}

std::unique_ptr<TIndexedLines> TIndexedLines::FromConversion(std::unique_ptr<TConversion> conversion,
                                                             std::unique_ptr<rtl::TStream> file)
{
    auto spool = std::make_unique<TSpoolStore>();
    auto feeder = std::make_unique<TConversionFeeder>(std::move(conversion), std::move(file), *spool);
    return std::unique_ptr<TIndexedLines>(new TIndexedLines(std::move(spool), std::move(feeder)));
}

void TIndexedLines::Advance(std::chrono::steady_clock::duration budget, std::uint64_t maxBytes)
{
    const auto until = std::chrono::steady_clock::now() + budget;
    const std::uint64_t stop = index_.Bytes() + std::min(maxBytes, UINT64_MAX - index_.Bytes());
    std::vector<char> buffer;
    while (!complete_) {
        const std::size_t n = feeder_->Next(buffer);
        if (n == 0) {
            complete_ = true;
            break;
        }
        index_.Feed(buffer.data(), n);
        if (index_.Bytes() >= stop || std::chrono::steady_clock::now() >= until)
            break;
    }
}

std::uint64_t TIndexedLines::Done() const
{
    return feeder_ ? feeder_->Done() : index_.Bytes();
}

std::string_view TIndexedLines::view(std::uint64_t offset, std::size_t want)
{
    const std::uint64_t end = index_.Bytes();
    if (offset >= end)
        return {};
    want = static_cast<std::size_t>(std::min<std::uint64_t>(want, end - offset));
    if (offset < cacheStart_ || offset + want > cacheStart_ + cacheSize_) {
        // No larger than the text needs: small texts are the common case.
        cache_.resize(std::max(want, static_cast<std::size_t>(std::min<std::uint64_t>(kCacheSize, end - offset))));
        cacheStart_ = offset;
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(cache_.size(), end - offset));
        cacheSize_ = store_->ReadAt(offset, cache_.data(), size);
    }
    const auto skip = static_cast<std::size_t>(offset - cacheStart_);
    return {cache_.data() + skip, std::min(cacheSize_ - std::min(cacheSize_, skip), want)};
}

void TIndexedLines::Lines(std::uint64_t first, std::size_t count, std::vector<std::string> &out)
{
    const std::uint64_t total = LineCount();
    if (first >= total || count == 0)
        return;
    const TLineIndex::Anchor anchor = index_.AnchorFor(first);
    std::uint64_t offset = anchor.offset;
    const std::uint64_t last = std::min<std::uint64_t>(total, first + count);
    for (std::uint64_t line = anchor.line; line < last; ++line) {
        const std::string_view text = view(offset, kMaxLineBytes);
        if (text.empty())
            break; // the file shrank under us
        const std::size_t length = TLineIndex::LineLength(text);
        if (line >= first)
            out.emplace_back(text.substr(0, length));
        offset += length;
    }
}

std::string TIndexedLines::Text()
{
    while (!complete_)
        Advance(std::chrono::hours(1));
    std::string text(static_cast<std::size_t>(index_.Bytes()), '\0');
    text.resize(store_->ReadAt(0, text.data(), text.size()));
    return text;
}

// ---- Conversions

int ReadConvertedChecked(TConversion &conversion, rtl::TStream &stream, char *buffer, int size)
{
    const int n = conversion.ReadConverted(stream, buffer, size);
    return std::clamp(n, 0, size);
}

std::string ReadAllConverted(TConversion &conversion, rtl::TStream &stream)
{
    std::string text;
    std::vector<char> buffer(4096);
    while (const int n = ReadConvertedChecked(conversion, stream, buffer.data(), static_cast<int>(buffer.size())))
        text.append(buffer.data(), static_cast<std::size_t>(n));
    return text;
}

std::size_t TBoundedStream::Read(void *buffer, std::size_t count)
{
    const std::int64_t room = std::max<std::int64_t>(0, limit_ - position_);
    const std::size_t n = inner_.Read(buffer, std::min<std::size_t>(count, static_cast<std::size_t>(room)));
    position_ += static_cast<std::int64_t>(n);
    return n;
}

void TBoundedStream::SetPosition(std::int64_t position)
{
    inner_.SetPosition(position);
    position_ = std::max<std::int64_t>(0, position);
}

std::string ReadAllBytes(rtl::TStream &stream, std::int64_t maxInput)
{
    std::string text;
    std::vector<char> buffer(1 << 16);
    while (static_cast<std::int64_t>(text.size()) < maxInput) {
        const auto want = std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()),
                                                 maxInput - static_cast<std::int64_t>(text.size()));
        const std::size_t n = stream.Read(buffer.data(), static_cast<std::size_t>(want));
        if (n == 0)
            break;
        text.append(buffer.data(), n);
    }
    return text;
}

// ---- Columns

std::size_t ColumnOf(std::string_view line, std::size_t byteIndex)
{
    std::size_t column = 0;
    for (std::size_t i = 0; i < byteIndex && i < line.size(); ++i)
        column = line[i] == '\t' ? (column / 8 + 1) * 8 : column + 1;
    return column;
}

std::size_t ByteAtColumn(std::string_view line, std::size_t column)
{
    std::size_t at = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const std::size_t next = line[i] == '\t' ? (at / 8 + 1) * 8 : at + 1;
        if (column < at + (next - at + 1) / 2)
            return i;
        at = next;
    }
    return line.size();
}

std::string_view LineContent(std::string_view line)
{
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

} // namespace textlines
