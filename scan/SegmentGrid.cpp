#include "SegmentGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scan {

namespace {
constexpr double kOrigin = -32768.0;
constexpr double kSquare = 65536.0;
// Coordinates run from -32768 to 32767; a cell's index is clamped to the
// grid, so anything outside still lands in an edge cell.
constexpr double kSlack = 1e-9;
} // namespace

double DistanceSquared(const Vec2 &p, const Segment &segment)
{
    const double dx = segment.b.x - segment.a.x;
    const double dy = segment.b.y - segment.a.y;
    const double length2 = dx * dx + dy * dy;
    double t = 0;
    if (length2 > 0)
        t = std::clamp(((p.x - segment.a.x) * dx + (p.y - segment.a.y) * dy) / length2, 0.0, 1.0);
    const double ex = segment.a.x + t * dx - p.x;
    const double ey = segment.a.y + t * dy - p.y;
    return ex * ex + ey * ey;
}

SegmentGrid::SegmentGrid(std::span<const Segment> segments, double cell)
    : segments_(segments), cell_(cell), side_(static_cast<int>(std::ceil(kSquare / cell)) + 1)
{
    const std::size_t cells = static_cast<std::size_t>(side_) * static_cast<std::size_t>(side_);
    start_.assign(cells + 1, 0);
    // Two passes over the same cells: count, then file (a counting sort).
    for (const Segment &segment : segments_)
        ForEachCell(segment, [&](std::size_t index) { ++start_[index + 1]; });
    for (std::size_t i = 1; i <= cells; ++i)
        start_[i] += start_[i - 1];
    items_.resize(start_[cells]);
    std::vector<std::uint32_t> next(start_.begin(), start_.end() - 1);
    for (std::size_t i = 0; i < segments_.size(); ++i)
        ForEachCell(segments_[i], [&](std::size_t index) { items_[next[index]++] = static_cast<std::uint32_t>(i); });
}

int SegmentGrid::Cell(double coordinate) const
{
    const double index = std::floor((coordinate - kOrigin) / cell_);
    return static_cast<int>(std::clamp(index, 0.0, double(side_ - 1)));
}

// Every cell the segment passes through, column by column: in each column
// the rows between the segment's heights where it enters and leaves it.
template <class Visit> void SegmentGrid::ForEachCell(const Segment &segment, Visit visit) const
{
    const double ax = (segment.a.x - kOrigin) / cell_, ay = (segment.a.y - kOrigin) / cell_;
    const double bx = (segment.b.x - kOrigin) / cell_, by = (segment.b.y - kOrigin) / cell_;
    // Most segments are shorter than a cell and lie in one.
    const double ax0 = std::floor(ax), ay0 = std::floor(ay);
    if (ax0 == std::floor(bx) && ay0 == std::floor(by) && ax0 > 0 && ay0 > 0 && ax0 < side_ - 1 && ay0 < side_ - 1 &&
        ax - ax0 > kSlack && ay - ay0 > kSlack && ax0 + 1 - std::max(ax, bx) > kSlack &&
        ay0 + 1 - std::max(ay, by) > kSlack && bx - ax0 > kSlack && by - ay0 > kSlack) {
        visit(static_cast<std::size_t>(ay0) * static_cast<std::size_t>(side_) + static_cast<std::size_t>(ax0));
        return;
    }
    const double left = std::min(ax, bx), right = std::max(ax, bx);
    const double slope = bx != ax ? (by - ay) / (bx - ax) : 0;
    const auto clampIndex = [this](double value) {
        return static_cast<int>(std::clamp(std::floor(value), 0.0, double(side_ - 1)));
    };
    const int firstColumn = clampIndex(left - kSlack), lastColumn = clampIndex(right + kSlack);
    for (int column = firstColumn; column <= lastColumn; ++column) {
        double low = std::min(ay, by), high = std::max(ay, by);
        if (bx != ax) {
            const double x0 = std::max(left, double(column)), x1 = std::min(right, double(column + 1));
            const double y0 = ay + (x0 - ax) * slope, y1 = ay + (x1 - ax) * slope;
            low = std::min(y0, y1);
            high = std::max(y0, y1);
        }
        const int firstRow = clampIndex(low - kSlack), lastRow = clampIndex(high + kSlack);
        for (int row = firstRow; row <= lastRow; ++row)
            visit(static_cast<std::size_t>(row) * static_cast<std::size_t>(side_) + static_cast<std::size_t>(column));
    }
}

bool SegmentGrid::AnyWithin(const Vec2 &p, double radius, std::size_t &hint) const
{
    if (segments_.empty())
        return false;
    const double radius2 = radius * radius;
    // The segments next to the last one found come next along a path.
    for (const std::size_t near : {hint, hint + 1, hint - 1})
        if (near < segments_.size() && DistanceSquared(p, segments_[near]) <= radius2) {
            hint = near;
            return true;
        }
    const int column0 = Cell(p.x - radius), column1 = Cell(p.x + radius);
    const int row0 = Cell(p.y - radius), row1 = Cell(p.y + radius);
    for (int row = row0; row <= row1; ++row)
        for (int column = column0; column <= column1; ++column) {
            const std::size_t index = static_cast<std::size_t>(row) * side_ + static_cast<std::size_t>(column);
            for (std::uint32_t k = start_[index]; k < start_[index + 1]; ++k)
                if (DistanceSquared(p, segments_[items_[k]]) <= radius2) {
                    hint = items_[k];
                    return true;
                }
        }
    return false;
}

double SegmentGrid::Nearest(const Vec2 &p, double enough) const
{
    double best2 = std::numeric_limits<double>::infinity();
    if (segments_.empty())
        return best2;
    const int column = Cell(p.x), row = Cell(p.y);
    const auto look = [&](int c, int r) {
        if (c < 0 || r < 0 || c >= side_ || r >= side_)
            return;
        const std::size_t index = static_cast<std::size_t>(r) * side_ + static_cast<std::size_t>(c);
        for (std::uint32_t k = start_[index]; k < start_[index + 1]; ++k)
            best2 = std::min(best2, DistanceSquared(p, segments_[items_[k]]));
    };
    // Rings of cells outward: past ring k everything is at least k cells away.
    for (int ring = 0; ring <= side_; ++ring) {
        if (ring == 0) {
            look(column, row);
        } else {
            for (int c = column - ring; c <= column + ring; ++c) {
                look(c, row - ring);
                look(c, row + ring);
            }
            for (int r = row - ring + 1; r <= row + ring - 1; ++r) {
                look(column - ring, r);
                look(column + ring, r);
            }
        }
        const double reach = ring * cell_;
        if (best2 <= reach * reach || best2 <= enough * enough)
            break;
    }
    return std::sqrt(best2);
}

} // namespace scan
