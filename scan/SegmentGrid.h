// Segments filed by the cells of a uniform grid over the ILDA square, so
// that "is anything within r of this point" and "how far is the nearest"
// look at a few cells instead of every segment.
#pragma once

#include "scan/Mirror.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace scan {

struct Segment {
    Vec2 a;
    Vec2 b; // a == b: a dot
};

double DistanceSquared(const Vec2 &p, const Segment &segment);

class SegmentGrid {
public:
    // cell: the side of a cell in ILDA units; queries within a radius of at
    // most one cell look at 3 x 3 cells.
    SegmentGrid(std::span<const Segment> segments, double cell);

    bool Empty() const { return segments_.empty(); }
    const Segment &At(std::size_t index) const { return segments_[index]; }
    // Whether a segment lies within radius (at most one cell) of p. hint is
    // the segment found last time, tried first: neighbouring samples mostly
    // share it.
    bool AnyWithin(const Vec2 &p, double radius, std::size_t &hint) const;
    // The distance from p to the nearest segment; the search stops as soon
    // as one within enough is found (the answer is then at most enough).
    double Nearest(const Vec2 &p, double enough) const;

private:
    template <class Visit> void ForEachCell(const Segment &segment, Visit visit) const;
    int Cell(double coordinate) const;

    std::span<const Segment> segments_;
    double cell_;
    int side_;
    std::vector<std::uint32_t> start_; // side_ * side_ + 1 offsets into items_
    std::vector<std::uint32_t> items_;
};

} // namespace scan
