#include "ilda/Reading.h"

#include "ByteSource.h"

#include <algorithm>
#include <map>

namespace ilda {

// From the appendix of the ILDA Image Data Transfer Format, revision 011.
const std::array<Color, 64> kDefaultPalette = {
    Rgb(255, 0, 0),     Rgb(255, 16, 0),    Rgb(255, 32, 0),    Rgb(255, 48, 0),    Rgb(255, 64, 0),
    Rgb(255, 80, 0),    Rgb(255, 96, 0),    Rgb(255, 112, 0),   Rgb(255, 128, 0),   Rgb(255, 144, 0),
    Rgb(255, 160, 0),   Rgb(255, 176, 0),   Rgb(255, 192, 0),   Rgb(255, 208, 0),   Rgb(255, 224, 0),
    Rgb(255, 240, 0),   Rgb(255, 255, 0),   Rgb(224, 255, 0),   Rgb(192, 255, 0),   Rgb(160, 255, 0),
    Rgb(128, 255, 0),   Rgb(96, 255, 0),    Rgb(64, 255, 0),    Rgb(32, 255, 0),    Rgb(0, 255, 0),
    Rgb(0, 255, 36),    Rgb(0, 255, 73),    Rgb(0, 255, 109),   Rgb(0, 255, 146),   Rgb(0, 255, 182),
    Rgb(0, 255, 219),   Rgb(0, 255, 255),   Rgb(0, 227, 255),   Rgb(0, 198, 255),   Rgb(0, 170, 255),
    Rgb(0, 142, 255),   Rgb(0, 113, 255),   Rgb(0, 85, 255),    Rgb(0, 56, 255),    Rgb(0, 28, 255),
    Rgb(0, 0, 255),     Rgb(32, 0, 255),    Rgb(64, 0, 255),    Rgb(96, 0, 255),    Rgb(128, 0, 255),
    Rgb(160, 0, 255),   Rgb(192, 0, 255),   Rgb(224, 0, 255),   Rgb(255, 0, 255),   Rgb(255, 32, 255),
    Rgb(255, 64, 255),  Rgb(255, 96, 255),  Rgb(255, 128, 255), Rgb(255, 160, 255), Rgb(255, 192, 255),
    Rgb(255, 224, 255), Rgb(255, 255, 255), Rgb(255, 224, 224), Rgb(255, 192, 192), Rgb(255, 160, 160),
    Rgb(255, 128, 128), Rgb(255, 96, 96),   Rgb(255, 64, 64),   Rgb(255, 32, 32),
};

void ReadHandler::OnFrame(const FrameInfo &, std::span<const Point>) {}
void ReadHandler::OnPalette(const Palette &) {}
void ReadHandler::OnWarning(const Diagnostic &) {}
void ReadHandler::OnError(const Diagnostic &) {}

namespace {

// A pipe may never end: bytes after the end marker are counted up to this.
constexpr std::uint64_t kMostTrailingCounted = std::uint64_t{1} << 20;

// Colours of the indices under a palette (null: the default one); indices
// beyond it show nothing. Returns how many colours the palette has.
std::size_t MapColors(const Palette *palette, ColorMap &map)
{
    map.fill(0);
    if (!palette) {
        std::copy(kDefaultPalette.begin(), kDefaultPalette.end(), map.begin());
        return kDefaultPalette.size();
    }
    const std::size_t n = std::min(palette->colors.size(), map.size());
    std::copy_n(palette->colors.begin(), n, map.begin());
    return n;
}

// A colour table gives the colours of the frame's first points.
void ApplyTable(const Palette *table, std::span<Point> points)
{
    if (!table)
        return;
    const std::size_t n = std::min(points.size(), table->colors.size());
    for (std::size_t i = 0; i < n; ++i)
        if (!points[i].Blanked())
            points[i].color = table->colors[i];
}

class Walk {
public:
    Walk(rtl::TStream &stream, ReadHandler &handler, const ReadOptions &options)
        : source_(stream), handler_(handler), options_(options)
    {
        outcome_.frameCount = options.firstFrame;
        palette_ = options.palette;
        paletteSize_ = MapColors(palette_.get(), colors_);
    }

    ReadOutcome Run()
    {
        while (!Cancelled() && Section()) {
        }
        Finish();
        if (!outcome_.endMarker)
            outcome_.end = source_.Offset();
        return std::move(outcome_);
    }

private:
    // Reads one section; false when the reading ends.
    bool Section()
    {
        const std::int64_t at = source_.Offset();
        const std::size_t got = source_.Fill(kHeaderSize);
        if (got == 0) {
            if (!sawSection_)
                Fail(DiagnosticCode::EmptyFile, at);
            else
                Warn(DiagnosticCode::NoEndMarker, at);
            return false;
        }
        const std::uint8_t *bytes = source_.Data();
        if (!std::equal(bytes, bytes + std::min<std::size_t>(got, 4), "ILDA")) {
            Fail(sawSection_ ? DiagnosticCode::NoSectionHeader : DiagnosticCode::NotIlda, at);
            return false;
        }
        const auto shortCount = got >= kShortTableHeaderSize ? ShortTableCount(bytes) : std::nullopt;
        const std::size_t headerSize = shortCount ? kShortTableHeaderSize : kHeaderSize;
        if (got < headerSize) {
            Fail(DiagnosticCode::HeaderCutShort, at, -1, {std::int64_t(got)});
            return false;
        }
        sawSection_ = true;
        Header header;
        if (shortCount) {
            std::copy_n(bytes + 4, 3, header.reserved.begin());
            header.format = kFormatColorTable;
        } else {
            header = DecodeHeader(bytes);
        }
        const std::uint32_t count = shortCount ? *shortCount : header.recordCount;
        if (header.ReservedSet())
            Warn(DiagnosticCode::ReservedHeaderBytes, at, NextFrame(header.format));
        if (count == 0) {
            source_.Consume(headerSize);
            outcome_.endMarker = true;
            outcome_.end = source_.Offset();
            TrailingBytes();
            return false;
        }
        if (RecordSize(header.format) == 0) {
            Fail(DiagnosticCode::UnknownFormat, at, -1, {header.format});
            return false;
        }
        source_.Consume(headerSize);
        if (IsFrameFormat(header.format))
            return Frame(header, at);
        return Colors(header, at, count);
    }

    void TrailingBytes()
    {
        const std::int64_t at = source_.Offset();
        // A stream without a size is counted up to a limit: a pipe may never end.
        const auto known = source_.Remaining();
        const std::uint64_t left = known ? *known : source_.Skip(kMostTrailingCounted + 1);
        if (left > kMostTrailingCounted && !known)
            Warn(DiagnosticCode::BytesAfterEndMarker, at, -1, {std::int64_t(kMostTrailingCounted), 1});
        else if (left)
            Warn(DiagnosticCode::BytesAfterEndMarker, at, -1, {std::int64_t(left)});
    }

    // A palette (format 2) or a colour table (format 3).
    bool Colors(const Header &header, std::int64_t at, std::uint32_t count)
    {
        const bool table = header.format == kFormatColorTable;
        constexpr std::uint32_t kMostPoints = 65535;
        if (table)
            Warn(DiagnosticCode::TableNotStandard, at);
        else if (count < 2 || count > 256)
            Warn(DiagnosticCode::PaletteSize, at, -1, {count});
        const std::uint32_t kept = std::min(count, kMostPoints);
        if (count > kept)
            Warn(DiagnosticCode::TableTooLong, at, -1, {count});

        auto palette = std::make_shared<Palette>();
        palette->offset = at;
        palette->header = header;
        const std::size_t whole = source_.Fill(std::size_t{kept} * 3) / 3;
        palette->colors.resize(whole);
        DecodeColors(source_.Data(), whole, palette->colors.data());
        source_.Consume(whole * 3);
        bool complete = whole == kept;
        if (complete && count > kept) {
            const std::uint64_t rest = std::uint64_t{count - kept} * 3;
            complete = source_.Skip(rest) == rest;
        }

        if (table) {
            UnusedTable();
            table_ = palette;
        } else {
            palette_ = palette;
            paletteSize_ = MapColors(palette.get(), colors_);
            if (outcome_.palettes.size() < std::min(options_.keep, options_.keepPalettes))
                outcome_.palettes.push_back(palette);
            ++outcome_.paletteCount;
            handler_.OnPalette(*palette);
        }
        if (!complete)
            Fail(table ? DiagnosticCode::TableCutShort : DiagnosticCode::PaletteCutShort, source_.Offset(), -1,
                 {std::int64_t(whole), count});
        return complete;
    }

    bool Frame(const Header &header, std::int64_t at)
    {
        FrameInfo info;
        info.index = outcome_.frameCount;
        info.offset = at;
        info.header = header;
        info.dataOffset = source_.Offset();
        if (IsIndexed(header.format)) {
            info.palette = palette_;
            info.colorTable = std::move(table_);
        }
        UnusedTable();
        const auto index = static_cast<std::int64_t>(info.index);
        if (header.number != expectedNumber_)
            Warn(DiagnosticCode::FrameNumber, at, index, {header.number, expectedNumber_});
        expectedNumber_ = header.number + 1u;
        auto &total = totals_[header.total];
        if (total.count++ == 0) {
            total.offset = at;
            total.frame = index;
        }

        const std::size_t recordSize = RecordSize(header.format);
        const std::uint64_t bytes = std::uint64_t{header.recordCount} * recordSize;
        std::uint64_t present;
        if (options_.points) {
            present = source_.Fill(static_cast<std::size_t>(bytes));
            info.pointCount = static_cast<std::uint32_t>(present / recordSize);
            points_.resize(info.pointCount);
            DecodePoints(header.format, source_.Data(), points_.size(), colors_, points_.data());
            ApplyTable(info.colorTable.get(), points_);
            CheckPoints(info);
            handler_.OnFrame(info, points_);
            source_.Consume(points_.size() * recordSize);
        } else {
            present = source_.Skip(bytes);
            info.pointCount = static_cast<std::uint32_t>(present / recordSize);
            handler_.OnFrame(info, {});
        }
        ++outcome_.frameCount;
        if (info.pointCount < header.recordCount) {
            Fail(DiagnosticCode::FrameCutShort, info.dataOffset + static_cast<std::int64_t>(present), index,
                 {info.pointCount, header.recordCount});
            return false;
        }
        return true;
    }

    // The deviations a frame's points show, one warning per kind and frame.
    void CheckPoints(const FrameInfo &info)
    {
        if (points_.empty())
            return;
        const std::size_t recordSize = RecordSize(info.header.format);
        auto offsetOf = [&](std::size_t i) { return info.dataOffset + static_cast<std::int64_t>(i * recordSize); };
        const bool complete = points_.size() == info.header.recordCount;
        const std::size_t last = complete ? points_.size() - 1 : points_.size();

        std::uint8_t statusBits = 0;
        std::size_t lastBits = 0;
        for (const Point &p : points_) {
            statusBits |= p.status;
            lastBits += p.Last();
        }
        const auto index = static_cast<std::int64_t>(info.index);
        if (statusBits & kReservedStatusBits)
            WarnPoints(offsetOf, DiagnosticCode::ReservedStatusBits, index, 0,
                       [](const Point &p, std::size_t) { return (p.status & kReservedStatusBits) != 0; });
        if (lastBits > (complete && points_.back().Last() ? 1u : 0u))
            WarnPoints(offsetOf, DiagnosticCode::EarlyLastPoint, index, 0,
                       [last](const Point &p, std::size_t i) { return p.Last() && i != last; });
        if (complete && !points_.back().Last())
            Warn(DiagnosticCode::MissingLastPoint, offsetOf(last), index);
        if (IsIndexed(info.header.format)) {
            const std::size_t tabled = info.colorTable ? info.colorTable->colors.size() : 0;
            const std::size_t size = paletteSize_;
            WarnPoints(offsetOf, DiagnosticCode::IndexBeyondPalette, index, std::int64_t(size),
                       [tabled, size](const Point &p, std::size_t i) { return i >= tabled && p.colorIndex >= size; });
        }
        if (info.colorTable && info.colorTable->colors.size() != info.header.recordCount)
            Warn(DiagnosticCode::TableSizeMismatch, info.colorTable->offset, index,
                 {std::int64_t(info.colorTable->colors.size()), info.header.recordCount});
    }

    template <class OffsetOf, class Test>
    void WarnPoints(const OffsetOf &offsetOf, DiagnosticCode code, std::int64_t frame, std::int64_t extra,
                    const Test &test)
    {
        std::size_t first = 0, n = 0;
        for (std::size_t i = 0; i < points_.size(); ++i) {
            if (test(points_[i], i) && n++ == 0)
                first = i;
        }
        if (n)
            Warn(code, offsetOf(first), frame, {std::int64_t(n), extra});
    }

    void UnusedTable()
    {
        if (table_)
            Warn(DiagnosticCode::UnusedTable, table_->offset);
        table_.reset();
    }

    void Finish()
    {
        UnusedTable();
        if (outcome_.frameCount == 0)
            return;
        for (const auto &[total, where] : totals_) {
            if (total == outcome_.frameCount)
                continue;
            Warn(DiagnosticCode::TotalFrames, where.offset, where.frame,
                 {total, std::int64_t(outcome_.frameCount), std::int64_t(where.count)});
        }
    }

    void Warn(DiagnosticCode code, std::int64_t offset, std::int64_t frame = -1,
              std::initializer_list<std::int64_t> values = {})
    {
        Note(false, MakeDiagnostic(code, offset, frame, values));
    }
    void Fail(DiagnosticCode code, std::int64_t offset, std::int64_t frame = -1,
              std::initializer_list<std::int64_t> values = {})
    {
        Note(true, MakeDiagnostic(code, offset, frame, values));
    }

    bool Cancelled()
    {
        if (options_.cancel && options_.cancel->load(std::memory_order_relaxed))
            outcome_.cancelled = true;
        return outcome_.cancelled;
    }

    // The frame a header belongs to: the one it starts, none for other sections.
    std::int64_t NextFrame(std::uint8_t format) const
    {
        return IsFrameFormat(format) ? static_cast<std::int64_t>(outcome_.frameCount) : -1;
    }

    void Note(bool error, Diagnostic d)
    {
        if (error)
            handler_.OnError(d);
        else
            handler_.OnWarning(d);
        auto &kept = error ? outcome_.errors : outcome_.warnings;
        if (kept.size() < options_.keep)
            kept.push_back(std::move(d));
        ++(error ? outcome_.errorCount : outcome_.warningCount);
    }

    ByteSource source_;
    ReadHandler &handler_;
    const ReadOptions &options_;
    ReadOutcome outcome_;
    std::shared_ptr<const Palette> palette_;
    ColorMap colors_{};
    std::size_t paletteSize_ = 0;
    std::shared_ptr<const Palette> table_; // waits for the frame it colours
    std::vector<Point> points_;
    std::uint32_t expectedNumber_ = 0;
    // Each total-frames value: the first header that gave it, and how many did.
    struct TotalSeen {
        std::int64_t offset = 0;
        std::int64_t frame = 0;
        std::size_t count = 0;
    };
    std::map<std::uint16_t, TotalSeen> totals_;
    bool sawSection_ = false;
};

class Collector : public ReadHandler {
public:
    explicit Collector(Contents &contents) : contents_(contents) {}
    void OnFrame(const FrameInfo &frame, std::span<const Point> points) override
    {
        contents_.frames.push_back({frame, std::vector<Point>(points.begin(), points.end())});
    }

private:
    Contents &contents_;
};

} // namespace

ReadOutcome Read(rtl::TStream &stream, ReadHandler &handler, const ReadOptions &options)
{
    return Walk(stream, handler, options).Run();
}

std::size_t DecodeFrame(rtl::TStream &stream, const FrameInfo &frame, std::span<Point> out)
{
    const std::size_t recordSize = RecordSize(frame.header.format);
    if (!IsFrameFormat(frame.header.format))
        return 0;
    const std::size_t wanted = std::min<std::size_t>(frame.pointCount, out.size());
    std::vector<std::uint8_t> bytes(wanted * recordSize);
    stream.SetPosition(frame.dataOffset);
    std::size_t got = 0;
    while (got < bytes.size()) {
        const std::size_t n = stream.Read(bytes.data() + got, bytes.size() - got);
        if (n == 0)
            break;
        got += n;
    }
    const std::size_t count = got / recordSize;
    ColorMap colors;
    MapColors(frame.palette.get(), colors);
    DecodePoints(frame.header.format, bytes.data(), count, colors, out.data());
    ApplyTable(frame.colorTable.get(), out.first(count));
    return count;
}

Contents ReadAll(rtl::TStream &stream)
{
    Contents contents;
    Collector collector(contents);
    contents.outcome = Read(stream, collector);
    return contents;
}

} // namespace ilda
