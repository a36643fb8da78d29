// What a text frame lights, for comparing with what the font draws.
#pragma once

#include "ilda/Codec.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <span>
#include <utility>
#include <vector>

namespace texttest {

using Spot = std::pair<int, int>;
using Segment = std::pair<Spot, Spot>; // the smaller end first

inline Segment Undirected(Spot a, Spot b)
{
    return a < b ? Segment{a, b} : Segment{b, a};
}

// Each lit point joined to the one before it, in the order drawn.
inline std::vector<Segment> LitSegments(std::span<const ilda::Point> frame)
{
    std::vector<Segment> lit;
    for (std::size_t i = 1; i < frame.size(); ++i)
        if (!frame[i].Blanked())
            lit.push_back(Undirected({frame[i - 1].x, frame[i - 1].y}, {frame[i].x, frame[i].y}));
    return lit;
}

struct Bounds {
    int left = 0, right = 0, bottom = 0, top = 0;
    bool any = false;
};

inline Bounds LitBounds(std::span<const ilda::Point> frame)
{
    Bounds b;
    for (const Segment &s : LitSegments(frame))
        for (const Spot &p : {s.first, s.second}) {
            b.left = b.any ? std::min(b.left, p.first) : p.first;
            b.right = b.any ? std::max(b.right, p.first) : p.first;
            b.bottom = b.any ? std::min(b.bottom, p.second) : p.second;
            b.top = b.any ? std::max(b.top, p.second) : p.second;
            b.any = true;
        }
    return b;
}

} // namespace texttest
