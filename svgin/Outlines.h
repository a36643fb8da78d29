// Shapes into polylines: curves flattened, dashes walked, fills of one
// colour merged into one area, the page's background recognised.
#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <cstddef>
#include <vector>

namespace svgin {

using Points = std::vector<QPointF>;

// How many points may still be made; a drawing past it is refused, so a
// hostile curve or dash pattern cannot take all memory.
struct Budget {
    explicit Budget(std::size_t points) : left(points) {}
    std::size_t left;
    bool Take(std::size_t n);
    bool Spent() const { return spent_; }

private:
    bool spent_ = false;
};

// Each subpath as a polyline, curves within tolerance; a fill's are closed.
std::vector<Points> Flatten(const QPainterPath &path, double tolerance, bool close, Budget &budget);

// The lit dashes of a polyline; dashes alternate dash and gap lengths.
std::vector<Points> Dash(const Points &line, const QList<qreal> &dashes, qreal offset, Budget &budget);

// Closed polylines as an area, for Merge.
QPainterPath AreaOf(const std::vector<Points> &lines, Qt::FillRule rule);

// The area of all the paths as one outline, already flattened.
QPainterPath Merge(std::vector<QPainterPath> areas);

// Whether path is an axis-aligned rectangle that covers page.
bool CoversPage(const QPainterPath &path, const QRectF &page, double tolerance);

} // namespace svgin
