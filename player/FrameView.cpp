#include "player/FrameView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace player {

void LaserPainter::Paint(QPainter &painter, const Projection &projection, std::span<const ilda::Point> points,
                         const DrawOptions &options) const
{
    DrawFrame(painter, projection, points, options);
}

FrameView::FrameView(QWidget *parent) : QWidget(parent), painter_(std::make_shared<LaserPainter>())
{
    setAttribute(Qt::WA_OpaquePaintEvent); // the drawing fills every pixel
}

void FrameView::SetFrame(FramePoints points)
{
    points_ = std::move(points);
    update();
}

void FrameView::SetNotice(const QString &text)
{
    notice_ = text;
    update();
}

void FrameView::SetOptions(const DrawOptions &options)
{
    options_ = options;
    update();
}

void FrameView::SetPainter(std::shared_ptr<const FramePainter> painter)
{
    painter_ = painter ? std::move(painter) : std::make_shared<LaserPainter>();
    update();
}

void FrameView::ZoomAbout(QPointF anchor, double factor)
{
    transform_.ZoomAbout(anchor, factor);
    update();
}

void FrameView::ZoomIn()
{
    ZoomAbout(QRectF(rect()).center(), kZoomStep);
}

void FrameView::ZoomOut()
{
    ZoomAbout(QRectF(rect()).center(), 1 / kZoomStep);
}

void FrameView::Fit()
{
    transform_.Fit();
    update();
}

void FrameView::ResetTurn()
{
    transform_.ResetTurn();
    update();
}

void FrameView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const std::span<const ilda::Point> points =
        points_ ? std::span<const ilda::Point>(*points_) : std::span<const ilda::Point>();
    painter_->Paint(painter, Projection(DrawingSquare(size()), transform_, options_.turn3d), points, options_);
    if (points.empty() && !notice_.isEmpty()) {
        painter.setPen(Qt::lightGray);
        painter.drawText(rect().adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap, notice_);
    }
    if (points_)
        emit Painted();
}

void FrameView::wheelEvent(QWheelEvent *event)
{
    if (!interactive_ || event->angleDelta().y() == 0)
        return QWidget::wheelEvent(event);
    ZoomAbout(event->position(), std::pow(kZoomStep, event->angleDelta().y() / 120.0));
    event->accept();
}

void FrameView::mousePressEvent(QMouseEvent *event)
{
    const bool pan = event->button() == Qt::LeftButton;
    const bool turn = event->button() == Qt::RightButton && options_.turn3d;
    if (!interactive_ || dragging_ != Qt::NoButton || !(pan || turn))
        return QWidget::mousePressEvent(event);
    dragging_ = event->button();
    dragFrom_ = event->position();
    setCursor(pan ? Qt::ClosedHandCursor : Qt::SizeAllCursor);
    event->accept();
}

void FrameView::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging_ == Qt::NoButton)
        return QWidget::mouseMoveEvent(event);
    const QPointF delta = event->position() - dragFrom_;
    dragFrom_ = event->position();
    if (dragging_ == Qt::LeftButton)
        transform_.PanBy(delta);
    else
        transform_.TurnBy(delta.x(), delta.y());
    update();
    event->accept();
}

void FrameView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != dragging_)
        return QWidget::mouseReleaseEvent(event);
    dragging_ = Qt::NoButton;
    unsetCursor();
    event->accept();
}

} // namespace player
