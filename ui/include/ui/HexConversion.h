// The hex dump of any file for the text pane: one line per 16 bytes, and
// any line on demand so the pane can show huge files lazily.
#pragma once

#include "toolkit/TTextPane.h"

#include <cstdint>
#include <functional>
#include <utility>

class THexConversion : public toolkit::TConversion {
public:
    // Told the stream position whenever a read ends on a 4096-byte boundary.
    using TProgress = std::function<void(std::int64_t Position)>;

    explicit THexConversion(TProgress onProgress = {}) : OnProgress(std::move(onProgress)) {}

    // One line per call; 0 at the end of the file or for a buffer under 83.
    int ReadConverted(rtl::TStream &Stream, char *Buffer, int Size) override;

    bool HasLineAccess() const override { return true; }
    std::uint64_t LineCount(std::uint64_t fileSize) const override;
    std::string LineAt(rtl::TStream &stream, std::uint64_t index) override;

    TProgress OnProgress;
};
