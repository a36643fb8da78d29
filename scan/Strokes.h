// The drawing of a frame as strokes: each run of lit points with the point
// it starts from, cleaned of repeated points (dwell) and of points that lie
// on the line between their neighbours, then put in an order that keeps
// blanked travel short. Private to the optimiser.
#pragma once

#include "ilda/Codec.h"

#include <span>
#include <vector>

namespace scan::detail {

struct Place {
    double x = 0;
    double y = 0;
    double z = 0;
};

struct Stroke {
    std::vector<Place> at;
    // look[k]: the point whose colour the segment ending at vertex k
    // carries; look[0] is the colour of the start (a dot's own).
    std::vector<ilda::Point> look;
    // A straight line whose dark segments (looks that are not lit) are gaps
    // the beam crosses at drawing pace, switched by where the mirror is.
    bool sweep = false;

    bool Dot() const { return at.size() == 1; }
};

// The strokes of frame in their order there. Vertices within merge units of
// the line through their neighbours (same colour) are left out.
std::vector<Stroke> ExtractStrokes(std::span<const ilda::Point> frame, double merge);

// The same drawing travelled the other way: each segment keeps its colour.
void Reverse(Stroke &stroke);

// Greedy nearest end from the first stroke's end; a stroke may be reversed.
void OrderStrokes(std::vector<Stroke> &strokes);

// Collinear straight strokes that follow one another with gaps of at most
// gap units become one sweep (dashes, dotted lines); merge as for cleaning.
void JoinDashes(std::vector<Stroke> &strokes, double merge, double gap);

// Each stroke that starts within gap units of the previous one's end is
// drawn on from it, dark over the gap: no blanked travel, no settling.
void Bridge(std::vector<Stroke> &strokes, double gap);

// The drawing's length of a stroke, lit segments only.
double LitLength(const Stroke &stroke);

// Two points show the same colour.
inline bool SameLook(const ilda::Point &a, const ilda::Point &b)
{
    return a.color == b.color && a.colorIndex == b.colorIndex;
}

} // namespace scan::detail
