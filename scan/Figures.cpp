#include "scan/Figures.h"

#include "SegmentGrid.h"
#include "scan/Mirror.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace scan {

namespace {

// Lengths are measured by samples at most this far apart; a dot weighs as
// much as one such piece.
constexpr double kSpacing = kFullScale * 0.0005;
// Cells no smaller than this keep the grid at 512 x 512 at most.
constexpr double kSmallestCell = kFullScale / 512;

double Percent(double units)
{
    return units * 100.0 / kFullScale;
}

Vec2 At(const ilda::Point &point)
{
    return {double(point.x), double(point.y)};
}

double Length(const Segment &segment)
{
    const double dx = segment.b.x - segment.a.x, dy = segment.b.y - segment.a.y;
    return std::sqrt(dx * dx + dy * dy);
}

// What the frame means to draw: each lit point joined to the one before in
// that point's colour, a lit first point or a point that does not move as
// a dot.
void IntendedDrawing(std::span<const ilda::Point> frame, std::vector<Segment> &drawing,
                     std::vector<ilda::Color> &colors)
{
    drawing.clear();
    colors.clear();
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (!IsLit(frame[i]))
            continue;
        const Vec2 to = At(frame[i]);
        drawing.push_back({i == 0 ? to : At(frame[i - 1]), to});
        colors.push_back(frame[i].color);
    }
}

// Memory used again from frame to frame: a long file is measured a frame at
// a time, and fresh pages for every frame cost more than the measuring.
struct Scratch {
    std::vector<BeamStep> steps;
    std::vector<Segment> drawing;
    std::vector<ilda::Color> drawingColors;
    std::vector<Segment> path;
    std::vector<ilda::Color> pathColors;
    GridStorage drawingGrid;
    GridStorage pathGrid;
};

void DrawnPath(std::span<const ilda::Point> frame, const Profile &profile, Scratch &scratch)
{
    TraceBeam(frame, profile, scratch.steps);
    scratch.path.clear();
    scratch.pathColors.clear();
    for (const BeamStep &step : scratch.steps)
        if (step.lit) {
            scratch.path.push_back({step.from, step.to});
            scratch.pathColors.push_back(step.color);
        }
}

// Calls visit(sample, weight) for the samples of segment: the middles of
// equal pieces at most kSpacing long, each weighted by its length. A dot is
// one sample of weight dotWeight.
template <class Visit> void Sample(const Segment &segment, double dotWeight, Visit visit)
{
    const double length = Length(segment);
    if (length == 0) {
        visit(segment.a, dotWeight);
        return;
    }
    const double pieces = std::ceil(length / kSpacing);
    const double piece = length / pieces;
    const auto count = static_cast<std::size_t>(pieces);
    for (std::size_t k = 0; k < count; ++k) {
        const double t = (double(k) + 0.5) / pieces;
        visit(Vec2{segment.a.x + t * (segment.b.x - segment.a.x), segment.a.y + t * (segment.b.y - segment.a.y)},
              piece);
    }
}

// Whether every point of segment lies within tolerance of one segment of
// the grid: the distance to a segment is convex along a line, so both ends
// within it are enough. Sampling such a segment would count all of it.
// Only the segments accept takes count.
template <class Accept>
bool WhollyWithin(const Segment &segment, const SegmentGrid &grid, double tolerance, std::size_t &hint, Accept accept)
{
    const double tolerance2 = tolerance * tolerance;
    if (!grid.AnyWithin(segment.a, tolerance, hint, accept))
        return false;
    if (DistanceSquared(segment.b, grid.At(hint)) <= tolerance2)
        return true;
    return grid.AnyWithin(segment.b, tolerance, hint, accept) &&
           DistanceSquared(segment.a, grid.At(hint)) <= tolerance2;
}

bool WhollyWithin(const Segment &segment, const SegmentGrid &grid, double tolerance, std::size_t &hint)
{
    return WhollyWithin(segment, grid, tolerance, hint, [](std::size_t) { return true; });
}

double CellFor(double tolerance)
{
    return std::max(tolerance, kSmallestCell);
}

// The share of the drawing's length within tolerance of drawn path of its
// colour: light of another colour there does not draw it.
double Coverage(std::span<const Segment> drawing, std::span<const ilda::Color> drawingColors, const SegmentGrid &drawn,
                std::span<const ilda::Color> drawnColors, double tolerance)
{
    double total = 0, covered = 0;
    std::size_t hint = 0;
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        const Segment &segment = drawing[i];
        const auto accept = [&](std::size_t k) { return SameColor(drawnColors[k], drawingColors[i]); };
        if (WhollyWithin(segment, drawn, tolerance, hint, accept)) {
            const double length = Length(segment);
            total += length > 0 ? length : kSpacing;
            covered += length > 0 ? length : kSpacing;
            continue;
        }
        Sample(segment, kSpacing, [&](const Vec2 &p, double weight) {
            total += weight;
            if (drawn.AnyWithin(p, tolerance, hint, accept))
                covered += weight;
        });
    }
    return total > 0 ? 100.0 * covered / total : 100.0;
}

struct Straying {
    double farthest = 0; // units
    double share = 0;    // %
};

// How far the drawn path leaves the drawing, and for how much of its length.
Straying Stray(std::span<const Segment> path, const SegmentGrid &drawing, double tolerance)
{
    Straying result;
    double total = 0, astray = 0;
    std::size_t hint = 0;
    // The farthest distance is the largest over all samples, near or not;
    // a sample no farther than that from some segment cannot raise it.
    const auto reach = [&](const Vec2 &p) {
        if (drawing.Empty() || DistanceSquared(p, drawing.At(hint)) <= result.farthest * result.farthest)
            return;
        result.farthest = std::max(result.farthest, drawing.Nearest(p, result.farthest, hint));
    };
    for (const Segment &segment : path) {
        if (WhollyWithin(segment, drawing, tolerance, hint)) {
            total += Length(segment);
            // Both ends that near one segment: so is everything between.
            const Segment &near = drawing.At(hint);
            const double ends2 = std::max(DistanceSquared(segment.a, near), DistanceSquared(segment.b, near));
            if (ends2 > result.farthest * result.farthest)
                Sample(segment, 0.0, [&](const Vec2 &p, double) { reach(p); });
            continue;
        }
        // Where the beam stands still it draws a dot but adds no length.
        Sample(segment, 0.0, [&](const Vec2 &p, double weight) {
            total += weight;
            if (!drawing.AnyWithin(p, tolerance, hint))
                astray += weight;
            reach(p);
        });
    }
    result.share = total > 0 ? 100.0 * astray / total : 0.0;
    return result;
}

} // namespace

Figures Measure(std::span<const ilda::Point> sent, std::span<const ilda::Point> intended, const Profile &profile)
{
    Figures figures;
    figures.points = sent.size();
    figures.ms = 1000.0 * double(sent.size()) / profile.rate;
    figures.hz = sent.empty() ? 0.0 : profile.rate / double(sent.size());
    for (std::size_t k = 0; k < sent.size(); ++k) {
        const ilda::Point &before = sent[k == 0 ? sent.size() - 1 : k - 1];
        const double dx = double(sent[k].x) - before.x, dy = double(sent[k].y) - before.y;
        const double step = Percent(std::sqrt(dx * dx + dy * dy));
        double &largest = IsLit(sent[k]) ? figures.litStepMax : figures.blankStepMax;
        largest = std::max(largest, step);
    }

    const double tolerance = Units(profile.tolerance);
    thread_local Scratch scratch;
    IntendedDrawing(intended, scratch.drawing, scratch.drawingColors);
    DrawnPath(sent, profile, scratch);
    const SegmentGrid drawingGrid(scratch.drawing, CellFor(tolerance), scratch.drawingGrid);
    const SegmentGrid pathGrid(scratch.path, CellFor(tolerance), scratch.pathGrid);
    figures.coverage = Coverage(scratch.drawing, scratch.drawingColors, pathGrid, scratch.pathColors, tolerance);
    const Straying straying = Stray(scratch.path, drawingGrid, tolerance);
    figures.stray = Percent(straying.farthest);
    figures.strayShare = straying.share;
    return figures;
}

} // namespace scan
