#include "SegmentGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scan {

namespace {
// A segment on a cell's edge is filed in the cells on both sides.
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

SegmentGrid::SegmentGrid(std::span<const Segment> segments, double cell, GridStorage &storage)
    : segments_(segments), cell_(cell), start_(storage.start), items_(storage.items)
{
    if (segments_.empty())
        return;
    // The grid covers the segments' extent only: a small drawing gets a
    // small grid.
    Vec2 low{std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    Vec2 high{std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    for (const Segment &segment : segments_)
        for (const Vec2 &end : {segment.a, segment.b}) {
            low = {std::min(low.x, end.x), std::min(low.y, end.y)};
            high = {std::max(high.x, end.x), std::max(high.y, end.y)};
        }
    origin_ = low;
    columns_ = static_cast<int>(std::floor((high.x - low.x) / cell_)) + 1;
    rows_ = static_cast<int>(std::floor((high.y - low.y) / cell_)) + 1;
    const std::size_t cells = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    start_.assign(cells + 1, 0);
    // Two passes over the same cells: count, then file (a counting sort).
    for (const Segment &segment : segments_)
        ForEachCell(segment, [&](std::size_t index) { ++start_[index + 1]; });
    for (std::size_t i = 1; i <= cells; ++i)
        start_[i] += start_[i - 1];
    items_.resize(start_[cells]);
    std::vector<std::uint32_t> &next = storage.next;
    next.assign(start_.begin(), start_.end() - 1);
    for (std::size_t i = 0; i < segments_.size(); ++i)
        ForEachCell(segments_[i], [&](std::size_t index) { items_[next[index]++] = static_cast<std::uint32_t>(i); });
}

// Anything outside the grid lands in its edge cells.
int SegmentGrid::Column(double x) const
{
    return static_cast<int>(std::clamp(std::floor((x - origin_.x) / cell_), 0.0, double(columns_ - 1)));
}

int SegmentGrid::Row(double y) const
{
    return static_cast<int>(std::clamp(std::floor((y - origin_.y) / cell_), 0.0, double(rows_ - 1)));
}

// Every cell the segment passes through, column by column: in each column
// the rows between the segment's heights where it enters and leaves it.
template <class Visit> void SegmentGrid::ForEachCell(const Segment &segment, Visit visit) const
{
    const double ax = (segment.a.x - origin_.x) / cell_, ay = (segment.a.y - origin_.y) / cell_;
    const double bx = (segment.b.x - origin_.x) / cell_, by = (segment.b.y - origin_.y) / cell_;
    // Most segments are shorter than a cell and lie inside one.
    const double column = std::floor(ax), row = std::floor(ay);
    if (column == std::floor(bx) && row == std::floor(by) && std::min(ax, bx) - column > kSlack &&
        column + 1 - std::max(ax, bx) > kSlack && std::min(ay, by) - row > kSlack &&
        row + 1 - std::max(ay, by) > kSlack) {
        visit(Index(static_cast<int>(column), static_cast<int>(row)));
        return;
    }
    const double left = std::min(ax, bx), right = std::max(ax, bx);
    const double slope = bx != ax ? (by - ay) / (bx - ax) : 0;
    const auto clampIndex = [](double value, int count) {
        return static_cast<int>(std::clamp(std::floor(value), 0.0, double(count - 1)));
    };
    const int firstColumn = clampIndex(left - kSlack, columns_), lastColumn = clampIndex(right + kSlack, columns_);
    for (int column = firstColumn; column <= lastColumn; ++column) {
        double low = std::min(ay, by), high = std::max(ay, by);
        if (bx != ax) {
            const double x0 = std::max(left, double(column)), x1 = std::min(right, double(column + 1));
            const double y0 = ay + (x0 - ax) * slope, y1 = ay + (x1 - ax) * slope;
            low = std::min(y0, y1);
            high = std::max(y0, y1);
        }
        const int firstRow = clampIndex(low - kSlack, rows_), lastRow = clampIndex(high + kSlack, rows_);
        for (int row = firstRow; row <= lastRow; ++row)
            visit(Index(column, row));
    }
}

double SegmentGrid::Nearest(const Vec2 &p, double enough, std::size_t &nearest) const
{
    double best2 = std::numeric_limits<double>::infinity();
    if (segments_.empty())
        return best2;
    const int column = Column(p.x), row = Row(p.y);
    const auto look = [&](int c, int r) {
        if (c < 0 || r < 0 || c >= columns_ || r >= rows_)
            return;
        const std::size_t index = Index(c, r);
        for (std::uint32_t k = start_[index]; k < start_[index + 1]; ++k) {
            const double distance2 = DistanceSquared(p, segments_[items_[k]]);
            if (distance2 < best2) {
                best2 = distance2;
                nearest = items_[k];
            }
        }
    };
    // How far p lies outside its (edge) cell: the rings' distances shrink by it.
    const double cellLeft = origin_.x + column * cell_, cellBottom = origin_.y + row * cell_;
    const double outX = std::max({0.0, cellLeft - p.x, p.x - (cellLeft + cell_)});
    const double outY = std::max({0.0, cellBottom - p.y, p.y - (cellBottom + cell_)});
    const double outside = std::sqrt(outX * outX + outY * outY);
    const int rings = std::max(columns_, rows_);
    // Rings of cells outward: past ring k everything is at least k cells away.
    for (int ring = 0; ring <= rings; ++ring) {
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
        const double reach = std::max(0.0, ring * cell_ - outside);
        if (best2 <= reach * reach || best2 <= enough * enough)
            break;
    }
    return std::sqrt(best2);
}

} // namespace scan
