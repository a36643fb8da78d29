// The conversion a text pane loads a file through: the file's bytes in,
// the text to show out.
#pragma once

#include "rtl/Classes.h"

#include <cstdint>
#include <string>

namespace textlines {

// Turns a file's bytes into text.
class TConversion {
public:
    virtual ~TConversion() = default;

    // Places up to size characters of the next text into buffer and returns
    // how many; 0 when there is no more text. Called until then.
    virtual int ReadConverted(rtl::TStream &stream, char *buffer, int size) = 0;

    // A conversion that can produce any line of its text straight from the
    // file says so here; only the lines shown are then formatted.
    virtual bool HasLineAccess() const { return false; }
    virtual std::uint64_t LineCount(std::uint64_t /*fileSize*/) const { return 0; }
    // Line index of the text, CR LF included.
    virtual std::string LineAt(rtl::TStream & /*stream*/, std::uint64_t /*index*/) { return {}; }
};

} // namespace textlines
