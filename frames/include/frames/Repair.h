// What convert mends so that its output conforms to the ILDA standard, and
// how it tells of it: each kind of repair once, with its count.
#pragma once

#include "ilda/Codec.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace frames {

struct RepairCounts {
    std::size_t lastBitSet = 0;     // frames whose last point lacked the bit
    std::size_t lastBitEarly = 0;   // frames with the bit before their last point
    std::size_t reservedStatus = 0; // points with status bits 0 to 5 set
    std::size_t reservedHeader = 0; // sections with reserved header bytes set
    std::size_t renumbered = 0;     // frames whose number or total was wrong
    std::size_t indexBeyond = 0;    // points indexing past their palette, blanked
    std::size_t darkBlanked = 0;    // lit points too dark for an indexed frame, blanked
    std::size_t emptyFrames = 0;    // frames without points, dropped
    std::size_t paletteSize = 0;    // palettes cut to 256 colours or filled up to 2
    std::size_t tables = 0;         // format 3 tables, their colours matched to the palette
    std::size_t clipped = 0;        // points a transform moved outside the square
    bool endMarker = false;         // the end marker was missing

    RepairCounts &operator+=(const RepairCounts &other);
};

// Clears the reserved status bits and puts the last-point bit on the last
// point only.
void RepairStatus(std::span<ilda::Point> points, RepairCounts &counts);

// A point whose index lies beyond the palette shows nothing: it is written
// blanked, index 0, so that no colour appears where the source had none.
void RepairIndices(std::span<ilda::Point> points, std::span<const ilda::Color> palette, RepairCounts &counts);

// Where a frame stands in its source and in the output file.
struct FramePlace {
    std::size_t number = 0; // counted from 0
    std::size_t total = 0;
};

// Gives header the output's number and total; a header that disagreed
// with its place in the source counts as renumbered.
void NumberFrame(ilda::Header &header, FramePlace source, FramePlace output, RepairCounts &counts);

// The header with zero records that ends a file of total frames.
ilda::Header EndMarker(std::size_t total);

// One sentence per kind of repair made ("set the last-point bit on 94
// frames"), in a fixed order; none when nothing was mended.
std::vector<std::string> RepairLines(const RepairCounts &counts);

} // namespace frames
