#include "FrameMarks.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <vector>

namespace player {

namespace {

const QColor kStartColor{0, 220, 0};
const QColor kEndColor{230, 40, 40};
const QColor kNumberColor{255, 230, 120};

void DrawPointMarks(QPainter &painter, const std::vector<QPointF> &at, std::span<const ilda::Point> points, double size)
{
    std::vector<QPointF> lit, dark;
    for (std::size_t i = 0; i < points.size(); ++i)
        (points[i].Blanked() ? dark : lit).push_back(at[i]);
    painter.setPen(QPen(QColor(150, 150, 150), size, Qt::SolidLine, Qt::SquareCap));
    painter.drawPoints(dark.data(), int(dark.size()));
    painter.setPen(QPen(Qt::white, size, Qt::SolidLine, Qt::SquareCap));
    painter.drawPoints(lit.data(), int(lit.size()));
}

void DrawOrderMarks(QPainter &painter, const std::vector<QPointF> &at, double size)
{
    const double radius = size * 2;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kEndColor, std::max(1.0, size / 2)));
    painter.drawEllipse(at.back(), radius, radius);
    painter.setPen(QPen(kStartColor, std::max(1.0, size / 2)));
    painter.drawEllipse(at.front(), radius * 1.5, radius * 1.5);

    const QRectF sight = painter.window();
    const auto seen = std::count_if(at.begin(), at.end(), [&](QPointF p) { return sight.contains(p); });
    if (std::size_t(seen) > kMaxNumberedPoints)
        return;
    painter.setPen(kNumberColor);
    std::vector<QRectF> taken;
    // Points counted from 1, as the frames are; a run of points on one
    // pixel (a corner dwell) gets one label, "12-15".
    for (std::size_t first = 0, last; first < at.size(); first = last + 1) {
        last = first;
        while (last + 1 < at.size() && at[last + 1].toPoint() == at[first].toPoint())
            ++last;
        if (!sight.contains(at[first]))
            continue;
        const QString label =
            last == first ? QString::number(first + 1) : QStringLiteral("%1-%2").arg(first + 1).arg(last + 1);
        // A label that would cover another is left out: closer in, it shows.
        const QPointF place = at[first] + QPointF(size + 2, -size - 2);
        const QRectF box = QRectF(painter.fontMetrics().boundingRect(label)).translated(place);
        if (std::any_of(taken.begin(), taken.end(), [&](const QRectF &other) { return other.intersects(box); }))
            continue;
        taken.push_back(box);
        painter.drawText(place, label);
    }
}

} // namespace

void DrawMarks(QPainter &painter, const Projection &projection, std::span<const ilda::Point> points,
               const DrawOptions &options)
{
    if (points.empty())
        return;
    std::vector<QPointF> at;
    at.reserve(points.size());
    for (const ilda::Point &point : points)
        at.push_back(projection.Map(point));
    const double size = std::max(3.0, options.lineWidth * 2.5);
    if (options.showPoints)
        DrawPointMarks(painter, at, points, size);
    if (options.showOrder)
        DrawOrderMarks(painter, at, size);
}

} // namespace player
