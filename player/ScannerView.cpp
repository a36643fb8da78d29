#include "player/ScannerView.h"

#include "player/Renderer.h"
#include "player/ScannerRenderer.h"

#include <QPainter>

namespace player {

ScannerView::ScannerView(QWidget *parent) : QWidget(parent), profile_(scan::DefaultProfile())
{
    setAttribute(Qt::WA_OpaquePaintEvent); // the drawing fills every pixel
}

void ScannerView::SetFrame(FramePoints points)
{
    points_ = std::move(points);
    image_ = {};
    update();
}

void ScannerView::SetProfile(const scan::Profile &profile)
{
    if (profile == profile_)
        return;
    profile_ = profile;
    image_ = {};
    update();
}

void ScannerView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!points_)
        return;
    const QRectF square = DrawingSquare(size());
    const int side = int(square.width());
    if (image_.width() != side)
        image_ = RenderScannerImage(*points_, side, profile_);
    painter.drawImage(square.topLeft(), image_);
    emit Painted();
}

} // namespace player
