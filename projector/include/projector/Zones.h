// Where the beam may not go lit: blank zones, dim zones, and everything
// outside a rectangle. A lit line that meets a zone's edge is cut there,
// with a point on the edge so that the light ends (or starts) exactly
// where the zone does.
#pragma once

#include "ilda/Codec.h"
#include "projector/Setup.h"

#include <span>
#include <vector>

namespace projector {

// A point on its way through the stage: where it is, exactly, and what it
// carries (status, colour, index).
struct Vertex {
    Point2 p;
    ilda::Point point;
};

class ZoneCutter {
public:
    // Lit lines stay inside bounds and out of the blank zones; inside a dim
    // zone no channel is brighter than the zone allows.
    ZoneCutter(const std::vector<Zone> &zones, const Limits &bounds);

    // from cut into into (cleared first); a blanked point is moved inside
    // the bounds.
    void Cut(std::span<const Vertex> from, std::vector<Vertex> &into) const;
    // from, cut where it must be, in place.
    void Cut(std::vector<Vertex> &from) const;

private:
    struct Region {
        std::vector<Point2> polygon;
        bool blank = true;
        double level = 0; // 0 to 1, for a dim zone
        Limits box;
    };
    struct Light {
        bool blank = false;
        double level = 1;
        bool operator==(const Light &) const = default;
    };

    Light LightAt(Point2 p) const;
    // The line a-b lies inside the bounds and near no zone.
    bool Clear(Point2 a, Point2 b) const;
    void Crossings(Point2 a, Point2 b, std::vector<double> &into) const;
    void Emit(const Vertex &v, Light light, std::vector<Vertex> &into) const;
    void CutLine(const Vertex &from, const Vertex &to, std::vector<Vertex> &into) const;

    std::vector<Region> regions_;
    Limits bounds_;
};

} // namespace projector
