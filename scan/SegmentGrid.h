// Segments filed by the cells of a uniform grid over their extent, so that
// "is anything within r of this point" and "how far is the nearest" look at
// a few cells instead of every segment.
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

// The squared distance from p to the nearest point of segment: the one
// measure the figures and the planner use.
double DistanceSquared(const Vec2 &p, const Segment &segment);

// The grid's tables, kept by a caller that files many frames in turn, so
// that their memory is used again.
struct GridStorage {
    std::vector<std::uint32_t> start;
    std::vector<std::uint32_t> items;
    std::vector<std::uint32_t> next;
};

class SegmentGrid {
public:
    // cell: the side of a cell in ILDA units; queries within a radius of at
    // most one cell look at 3 x 3 cells. The grid lives in storage.
    SegmentGrid(std::span<const Segment> segments, double cell, GridStorage &storage);

    bool Empty() const { return segments_.empty(); }
    const Segment &At(std::size_t index) const { return segments_[index]; }
    // Whether a segment lies within radius (at most one cell) of p. hint is
    // the segment found last time, tried first: neighbouring samples mostly
    // share it; it becomes the one found.
    bool AnyWithin(const Vec2 &p, double radius, std::size_t &hint) const
    {
        return AnyWithin(p, radius, hint, [](std::size_t) { return true; });
    }
    // The same among the segments accept(index) takes.
    template <class Accept> bool AnyWithin(const Vec2 &p, double radius, std::size_t &hint, Accept accept) const;
    // The distance from p to the nearest segment, which becomes nearest. The
    // search stops as soon as one within enough is found (the answer is then
    // at most enough, not always the least).
    double Nearest(const Vec2 &p, double enough, std::size_t &nearest) const;

private:
    template <class Visit> void ForEachCell(const Segment &segment, Visit visit) const;
    int Column(double x) const;
    int Row(double y) const;
    std::size_t Index(int column, int row) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(column);
    }

    std::span<const Segment> segments_;
    double cell_;
    Vec2 origin_;
    int columns_ = 1;
    int rows_ = 1;
    std::vector<std::uint32_t> &start_; // columns_ * rows_ + 1 offsets into items_
    std::vector<std::uint32_t> &items_;
};

template <class Accept>
bool SegmentGrid::AnyWithin(const Vec2 &p, double radius, std::size_t &hint, Accept accept) const
{
    if (segments_.empty())
        return false;
    const double radius2 = radius * radius;
    const auto near = [&](std::size_t k) { return DistanceSquared(p, segments_[k]) <= radius2 && accept(k); };
    // The segments next to the last one found come next along a path.
    for (const std::size_t k : {hint, hint + 1, hint - 1})
        if (k < segments_.size() && near(k)) {
            hint = k;
            return true;
        }
    const int column0 = Column(p.x - radius), column1 = Column(p.x + radius);
    const int row0 = Row(p.y - radius), row1 = Row(p.y + radius);
    for (int row = row0; row <= row1; ++row)
        for (int column = column0; column <= column1; ++column) {
            const std::size_t index = Index(column, row);
            for (std::uint32_t k = start_[index]; k < start_[index + 1]; ++k)
                if (near(items_[k])) {
                    hint = items_[k];
                    return true;
                }
        }
    return false;
}

} // namespace scan
