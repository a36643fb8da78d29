#include "player/FrameView.h"

#include <QPainter>

namespace player {

FrameView::FrameView(QWidget *parent) : QWidget(parent)
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

void FrameView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const std::span<const ilda::Point> points =
        points_ ? std::span<const ilda::Point>(*points_) : std::span<const ilda::Point>();
    DrawFrame(painter, DrawingSquare(size()), points, options_);
    if (points.empty() && !notice_.isEmpty()) {
        painter.setPen(Qt::lightGray);
        painter.drawText(rect().adjusted(16, 16, -16, -16), Qt::AlignCenter | Qt::TextWordWrap, notice_);
    }
    if (points_)
        emit Painted();
}

} // namespace player
