#include "ilda/Diagnostic.h"

#include <algorithm>

namespace ilda {

namespace {

std::string Plural(std::int64_t n, const char *one, const char *many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::string DescribeDiagnostic(const Diagnostic &d)
{
    const auto n = [&d](std::size_t i) { return std::to_string(d.values[i]); };
    switch (d.code) {
    case DiagnosticCode::EmptyFile: return "the file is empty";
    case DiagnosticCode::NotIlda: return "not an ILDA file: it does not start with \"ILDA\"";
    case DiagnosticCode::NoSectionHeader: return "no section header here: \"ILDA\" expected";
    case DiagnosticCode::HeaderCutShort: return "the file ends inside a section header (" + n(0) + " of 32 bytes)";
    case DiagnosticCode::UnknownFormat:
        return "unknown format code " + n(0) + ": its record size is unknown, so nothing after it can be read";
    case DiagnosticCode::PaletteCutShort:
        return "the file ends inside a palette: " + n(0) + " of " + n(1) + " colours read";
    case DiagnosticCode::TableCutShort:
        return "the file ends inside a colour table: " + n(0) + " of " + n(1) + " colours read";
    case DiagnosticCode::FrameCutShort:
        return "the file ends inside the points of frame " + std::to_string(d.frame) + ": " + n(0) + " of " + n(1) +
               " read";
    case DiagnosticCode::Unreadable:
        return d.detail.empty() ? std::string("the file cannot be read") : "the file cannot be read: " + d.detail;
    case DiagnosticCode::NoEndMarker: return "no end marker (a header with zero records) after the last section";
    case DiagnosticCode::ReservedHeaderBytes: return "reserved header bytes (4 to 6, 31) are not zero";
    case DiagnosticCode::BytesAfterEndMarker:
        return (d.values[1] ? "more than " + Plural(d.values[0], "byte follows", "bytes follow")
                            : Plural(d.values[0], "byte follows", "bytes follow")) +
               " the end marker";
    case DiagnosticCode::TableNotStandard:
        return "format 3 (a colour table for the next frame) is not part of the standard";
    case DiagnosticCode::PaletteSize: return "a palette holds 2 to 256 colours; this one has " + n(0);
    case DiagnosticCode::TableTooLong:
        return "a colour table of " + n(0) + " colours: no frame has more than 65535 points";
    case DiagnosticCode::FrameNumber: return "frame number " + n(0) + " where " + n(1) + " was expected";
    case DiagnosticCode::TotalFrames: {
        std::string text = "total frames " + n(0) + " disagrees with the " + Plural(d.values[1], "frame", "frames") +
                           " the file holds";
        if (d.values[2] > 1)
            text += " (in " + n(2) + " headers)";
        return text;
    }
    case DiagnosticCode::ReservedStatusBits:
        return "reserved status bits (0x3F) set on " + Plural(d.values[0], "point", "points") + ", the first here";
    case DiagnosticCode::EarlyLastPoint:
        return "the last-point bit (0x80) set before the last point on " + Plural(d.values[0], "point", "points") +
               ", the first here";
    case DiagnosticCode::MissingLastPoint: return "the last point lacks the last-point bit (0x80)";
    case DiagnosticCode::IndexBeyondPalette:
        return "colour indices beyond the " + n(1) + " colours of the palette in effect on " +
               Plural(d.values[0], "point", "points") + ", the first here";
    case DiagnosticCode::TableSizeMismatch:
        return "a colour table of " + n(0) + " colours for a frame of " + n(1) + " points";
    case DiagnosticCode::UnusedTable: return "a colour table not followed by an indexed frame: its colours are unused";
    }
    return "unknown diagnostic";
}

const char *DiagnosticCodeName(DiagnosticCode code)
{
    switch (code) {
    case DiagnosticCode::EmptyFile: return "empty-file";
    case DiagnosticCode::NotIlda: return "not-ilda";
    case DiagnosticCode::NoSectionHeader: return "no-section-header";
    case DiagnosticCode::HeaderCutShort: return "header-cut-short";
    case DiagnosticCode::UnknownFormat: return "unknown-format";
    case DiagnosticCode::PaletteCutShort: return "palette-cut-short";
    case DiagnosticCode::TableCutShort: return "table-cut-short";
    case DiagnosticCode::FrameCutShort: return "frame-cut-short";
    case DiagnosticCode::Unreadable: return "unreadable";
    case DiagnosticCode::NoEndMarker: return "no-end-marker";
    case DiagnosticCode::ReservedHeaderBytes: return "reserved-header-bytes";
    case DiagnosticCode::BytesAfterEndMarker: return "bytes-after-end-marker";
    case DiagnosticCode::TableNotStandard: return "table-not-standard";
    case DiagnosticCode::PaletteSize: return "palette-size";
    case DiagnosticCode::TableTooLong: return "table-too-long";
    case DiagnosticCode::FrameNumber: return "frame-number";
    case DiagnosticCode::TotalFrames: return "total-frames";
    case DiagnosticCode::ReservedStatusBits: return "reserved-status-bits";
    case DiagnosticCode::EarlyLastPoint: return "early-last-point";
    case DiagnosticCode::MissingLastPoint: return "missing-last-point";
    case DiagnosticCode::IndexBeyondPalette: return "index-beyond-palette";
    case DiagnosticCode::TableSizeMismatch: return "table-size-mismatch";
    case DiagnosticCode::UnusedTable: return "unused-table";
    }
    return "unknown";
}

bool IsError(DiagnosticCode code)
{
    return code <= DiagnosticCode::Unreadable;
}

Diagnostic MakeDiagnostic(DiagnosticCode code, std::int64_t offset, std::int64_t frame,
                          std::initializer_list<std::int64_t> values, std::string detail)
{
    Diagnostic d;
    d.offset = offset;
    d.code = code;
    d.frame = frame;
    std::copy_n(values.begin(), std::min(values.size(), d.values.size()), d.values.begin());
    d.detail = std::move(detail);
    d.text = DescribeDiagnostic(d);
    return d;
}

} // namespace ilda
