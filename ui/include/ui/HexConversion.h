// The hex dump of any file for the text pane: one line per 16 bytes, and
// any line on demand so the pane can show huge files lazily.
#pragma once

#include "toolkit/TTextPane.h"

class THexConversion : public toolkit::TConversion {
public:
    // One line per call; 0 at the end of the file or for a buffer under 83.
    int ReadConverted(rtl::TStream &Stream, char *Buffer, int Size) override;

    bool HasLineAccess() const override { return true; }
    std::uint64_t LineCount(std::uint64_t fileSize) const override;
    std::string LineAt(rtl::TStream &stream, std::uint64_t index) override;
};
