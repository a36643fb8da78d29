// What a reading of an ILDA file finds: a deviation from the standard (a
// warning) or what stopped it (an error), as a code with the byte offset,
// the frame and the numbers it concerns. Its wording lives in
// DescribeDiagnostic alone; every face shows that text.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace ilda {

enum class DiagnosticCode : std::uint8_t {
    // Errors: the reading stops.
    EmptyFile,
    NotIlda,
    NoSectionHeader,
    HeaderCutShort,  // values: bytes present
    UnknownFormat,   // values: format code
    PaletteCutShort, // values: colours read, colours announced
    TableCutShort,   // values: colours read, colours announced
    FrameCutShort,   // values: points read, points announced
    Unreadable,      // detail: the system's reason
    // Warnings: the reading goes on.
    NoEndMarker,
    ReservedHeaderBytes,
    BytesAfterEndMarker, // values: byte count, 1 when there are more than counted
    TableNotStandard,
    PaletteSize,        // values: colours
    TableTooLong,       // values: colours
    FrameNumber,        // values: number found, number expected
    TotalFrames,        // values: total given, frames found, headers giving it
    ReservedStatusBits, // values: points
    EarlyLastPoint,     // values: points
    MissingLastPoint,
    IndexBeyondPalette, // values: points, palette size
    TableSizeMismatch,  // values: colours, points
    UnusedTable,
};

struct Diagnostic {
    std::int64_t offset = 0; // in the data, counted from the stream's start
    std::string text;        // DescribeDiagnostic of the rest, filled by MakeDiagnostic
    DiagnosticCode code = DiagnosticCode::Unreadable;
    std::int64_t frame = -1; // the frame it concerns (counted from 0), -1 for none
    std::array<std::int64_t, 3> values{};
    std::string detail;
};

// The one wording of a diagnostic, without its offset or frame.
std::string DescribeDiagnostic(const Diagnostic &diagnostic);

// A short stable name of the code for machines ("no-end-marker").
const char *DiagnosticCodeName(DiagnosticCode code);

bool IsError(DiagnosticCode code);

Diagnostic MakeDiagnostic(DiagnosticCode code, std::int64_t offset, std::int64_t frame = -1,
                          std::initializer_list<std::int64_t> values = {}, std::string detail = {});

} // namespace ilda
