// The standard reading of ILDA files (the ILDA Image Data Transfer Format):
// frames of formats 0, 1, 4 and 5, palettes (2), colour tables (3), the
// default palette, the end marker, and every deviation from the standard
// with its byte offset. It streams: a frame's points are handed over and
// forgotten, so memory does not grow with the file.
#pragma once

#include "ilda/Codec.h"
#include "ilda/Diagnostic.h"
#include "rtl/Classes.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ilda {

// The standard's default palette: indexed points use it until a palette
// section comes.
extern const std::array<Color, 64> kDefaultPalette;

// A palette section (format 2) or a colour table (format 3).
struct Palette {
    std::int64_t offset = 0; // of its header
    Header header;
    std::vector<Color> colors; // the complete records
};

// One frame section as its header and the data show it.
struct FrameInfo {
    std::size_t index = 0;   // counted from 0 over the frames alone
    std::int64_t offset = 0; // of the section's header
    Header header;
    std::int64_t dataOffset = 0;  // of the first record
    std::uint32_t pointCount = 0; // complete records, at most header.recordCount
    // Indexed frames: the palette in effect (null: kDefaultPalette) and the
    // colour table just before the frame, if any.
    std::shared_ptr<const Palette> palette;
    std::shared_ptr<const Palette> colorTable;
};

// What a reading hands over as it goes. The spans and references are valid
// during the call only.
class ReadHandler {
public:
    virtual ~ReadHandler() = default;
    // points is empty when only headers are read.
    virtual void OnFrame(const FrameInfo &frame, std::span<const Point> points);
    virtual void OnPalette(const Palette &palette);
    virtual void OnWarning(const Diagnostic &warning);
    virtual void OnError(const Diagnostic &error);
};

struct ReadOptions {
    // false: read the headers only and seek over the records (the checks
    // of the points are then left out).
    bool points = true;
    // Palettes, warnings and errors the outcome keeps; the counts go on.
    std::size_t keep = 10000;
    // Set from another thread to end the reading at the next section.
    const std::atomic<bool> *cancel = nullptr;
    // Palettes the outcome keeps, at most keep of them (a palette may hold
    // 65535 colours).
    std::size_t keepPalettes = SIZE_MAX;
    // Resuming at a section a walk found before: the index of the next
    // frame and the palette in effect there (null: the default one).
    std::size_t firstFrame = 0;
    std::shared_ptr<const Palette> palette = nullptr;
};

struct ReadOutcome {
    std::size_t frameCount = 0;
    std::vector<std::shared_ptr<const Palette>> palettes; // format 2 only
    std::vector<Diagnostic> warnings;
    std::vector<Diagnostic> errors;
    std::size_t paletteCount = 0;
    std::size_t warningCount = 0;
    std::size_t errorCount = 0;
    bool endMarker = false;
    bool cancelled = false; // ended by ReadOptions::cancel
    std::int64_t end = 0;   // where the reading stopped

    bool Conforms() const { return warningCount == 0 && errorCount == 0; }
};

// Reads the sections from the stream's position up to the end marker, the
// end of the data or the first error.
ReadOutcome Read(rtl::TStream &stream, ReadHandler &handler, const ReadOptions &options = {});

// Decodes the points of a frame a Read found, from the same stream, into
// out (the first frame.pointCount of them at most); returns how many.
std::size_t DecodeFrame(rtl::TStream &stream, const FrameInfo &frame, std::span<Point> out);

// A whole file in memory: for small files and tests.
struct Contents {
    struct Frame {
        FrameInfo info;
        std::vector<Point> points;
    };
    std::vector<Frame> frames;
    ReadOutcome outcome;
};
Contents ReadAll(rtl::TStream &stream);

} // namespace ilda
