#include "player/ProjectorCanvas.h"

#include "player/Renderer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace player {

namespace {

const QColor kKeystoneColor{255, 255, 255, 200};
const QColor kBlankColor{255, 60, 60, 220};
const QColor kDimColor{255, 170, 40, 220};

void DrawOutline(QPainter &painter, const QPolygonF &polygon, const QColor &color)
{
    painter.setPen(QPen(color, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(polygon);
    painter.setPen(QPen(color, 1));
    for (const QPointF &corner : polygon)
        painter.drawRect(QRectF(corner - QPointF(3, 3), QSizeF(6, 6)));
}

} // namespace

ProjectorCanvas::ProjectorCanvas(QWidget *parent) : ScannerView(parent)
{
    setMouseTracking(false);
}

void ProjectorCanvas::SetSetup(const projector::Setup &setup)
{
    setup_ = setup;
    dragged_.reset(); // its corner may be gone from the new setup
    SetProfile(setup.scanner);
    update();
}

QPointF ProjectorCanvas::ToWidget(projector::Point2 point) const
{
    const QRectF square = DrawingSquare(size());
    const double scale = (square.width() - 1) / 65535.0;
    return {square.left() + (point.x + 32768) * scale, square.top() + (32767 - point.y) * scale};
}

projector::Point2 ProjectorCanvas::ToIlda(QPointF pixel) const
{
    const QRectF square = DrawingSquare(size());
    const double scale = 65535.0 / std::max(1.0, square.width() - 1);
    return {(pixel.x() - square.left()) * scale - 32768, 32767 - (pixel.y() - square.top()) * scale};
}

void ProjectorCanvas::paintEvent(QPaintEvent *event)
{
    ScannerView::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const projector::Zone &zone : setup_.zones) {
        QPolygonF polygon;
        for (const projector::Point2 &p : zone.points)
            polygon << ToWidget(p);
        DrawOutline(painter, polygon, zone.kind == projector::ZoneKind::Blank ? kBlankColor : kDimColor);
    }
    QPolygonF keystone;
    for (const projector::Point2 &p : setup_.geometry.keystone)
        keystone << ToWidget(p);
    DrawOutline(painter, keystone, kKeystoneColor);
    if (!dragged_)
        return;
    const QPointF at = ToWidget(PointOf(setup_, *dragged_));
    painter.setPen(Qt::white);
    const QString text = DragText();
    const int width = painter.fontMetrics().horizontalAdvance(text);
    // Kept inside the widget, so a corner at the edge still shows its value.
    const double x = std::clamp(at.x() + 8, 0.0, std::max(0.0, double(this->width() - width)));
    const double y = std::clamp(at.y() - 8, 12.0, double(height()));
    painter.drawText(QPointF(x, y), text);
}

std::optional<ProjectorCanvas::Handle> ProjectorCanvas::HandleAt(QPointF pixel) const
{
    const auto near = [&](projector::Point2 p) {
        const QPointF d = ToWidget(p) - pixel;
        return std::hypot(d.x(), d.y()) <= kHitRadius;
    };
    // The keystone first: it is what is set first, and zones may lie under it.
    for (std::size_t k = 0; k < 4; ++k)
        if (near(setup_.geometry.keystone[k]))
            return Handle{-1, k};
    for (std::size_t z = 0; z < setup_.zones.size(); ++z)
        for (std::size_t k = 0; k < setup_.zones[z].points.size(); ++k)
            if (near(setup_.zones[z].points[k]))
                return Handle{int(z), k};
    return std::nullopt;
}

projector::Point2 &ProjectorCanvas::PointOf(projector::Setup &setup, Handle handle) const
{
    if (handle.zone < 0)
        return setup.geometry.keystone[handle.index];
    return setup.zones[std::size_t(handle.zone)].points[handle.index];
}

QString ProjectorCanvas::DragText() const
{
    const projector::Point2 p = dragged_->zone < 0 ? setup_.geometry.keystone[dragged_->index]
                                                   : setup_.zones[std::size_t(dragged_->zone)].points[dragged_->index];
    const QString what = dragged_->zone < 0
                             ? QStringLiteral("keystone %1").arg(dragged_->index + 1)
                             : QStringLiteral("zone %1 corner %2").arg(dragged_->zone + 1).arg(dragged_->index + 1);
    return QStringLiteral("%1: %2, %3").arg(what).arg(p.x, 0, 'f', 0).arg(p.y, 0, 'f', 0);
}

void ProjectorCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragged_ = HandleAt(event->position());
    if (!dragged_)
        return;
    pressedAt_ = event->position();
    startPoint_ = PointOf(setup_, *dragged_);
    emit Dragging(DragText());
    update();
}

void ProjectorCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (!dragged_)
        return;
    const projector::Point2 from = ToIlda(pressedAt_), to = ToIlda(event->position());
    const auto moved = [](double start, double by) {
        return std::clamp(std::round(start + by), -projector::kEdge, projector::kEdge);
    };
    projector::Setup edited = setup_;
    PointOf(edited, *dragged_) = {moved(startPoint_.x, to.x - from.x), moved(startPoint_.y, to.y - from.y)};
    // A keystone folded over or a zone crossing itself is not taken.
    if (!projector::CheckSetup(edited))
        return;
    setup_ = std::move(edited);
    emit Dragging(DragText());
    emit SetupEdited(setup_);
    update();
}

void ProjectorCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !dragged_)
        return;
    dragged_.reset();
    emit Dragging(QString());
    update();
}

} // namespace player
