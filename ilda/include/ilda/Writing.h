// ILDA files of any point format, built section by section: what
// `lumivex convert --format` writes.
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

} // namespace ilda
