// ILDA files of any point format, built section by section: what
// `lumivex convert --format` writes, in memory (SectionWriter) or straight
// to a stream (StreamWriter).
#pragma once

#include "ilda/Codec.h"
#include "model/Base.h"

#include <cstdint>
#include <span>
#include <vector>

namespace ilda {

// The bytes of an ILDA file. It is a TBaseList only to be stored through
// SaveToFile, which never leaves a half-written file behind.
class SectionWriter : public TBaseList {
public:
    // A frame section in header.format (0, 1, 4 or 5); the record count is
    // set from points. More than 65535 points raise EIldaLimitError, any
    // other format EIldaFormatError, before a byte is added.
    void AddFrame(Header header, std::span<const Point> points);
    // A palette section (format 2) of colors; the indexed frames after it
    // take their colours from it. More than 65535 colours raise
    // EIldaLimitError (the standard wants 2 to 256).
    void AddPalette(Header header, std::span<const Color> colors);
    // The header with zero records that ends the file.
    void AddEndMarker(Header header);

    void SaveToStream(rtl::TStream &stream) override;
    const std::vector<std::uint8_t> &Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// The same sections, written to a stream as they come: memory holds one
// section's bytes, whatever the file's size. Same limits as SectionWriter.
class StreamWriter {
public:
    explicit StreamWriter(rtl::TStream &stream) : stream_(stream) {}

    void AddFrame(Header header, std::span<const Point> points);
    void AddPalette(Header header, std::span<const Color> colors);
    void AddEndMarker(Header header);

private:
    void flush();

    rtl::TStream &stream_;
    std::vector<std::uint8_t> bytes_;
};

} // namespace ilda
