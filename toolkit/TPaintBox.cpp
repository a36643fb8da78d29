#include "toolkit/TPaintBox.h"

#include "toolkit/TPanel.h"

#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cstdlib>

namespace toolkit {

namespace {

QRgb toRgb(TColor color) { return ToQColor(color).rgb(); }

// Octants counted clockwise from the +x axis, y growing downwards.
int octant(int dx, int dy)
{
    if (dy > 0) {
        if (dx > 0)
            return dx > dy ? 1 : 2;
        return -dx > dy ? 4 : 3;
    }
    if (dx < 0)
        return -dx > -dy ? 5 : 6;
    return dx > -dy ? 8 : 7;
}

} // namespace

void TCanvas::plot(int x, int y, TColor color)
{
    QImage &image = box_.image_;
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return;
    image.setPixel(x, y, toRgb(color));
}

TColor TCanvas::Pixel(int x, int y) const
{
    const QImage &image = box_.image_;
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return box_.Color();
    return FromQColor(QColor(image.pixel(x, y)));
}

// Bresenham with the tie rule of GDI: octants 3, 5, 6 and 8 step the minor
// axis one sample later, so a line and its reverse do not cover the same
// pixels; the end pixel is never drawn.
void TCanvas::line(QPoint from, QPoint to, TColor color)
{
    int dx = to.x() - from.x();
    int dy = to.y() - from.y();
    if (dx == 0 && dy == 0)
        return;
    const int o = octant(dx, dy);
    const int bias = (o == 3 || o == 5 || o == 6 || o == 8) ? 1 : 0;
    const int xStep = dx < 0 ? -1 : 1;
    const int yStep = dy < 0 ? -1 : 1;
    dx = std::abs(dx);
    dy = std::abs(dy);
    int x = from.x(), y = from.y();
    if (dx > dy) {
        int err = 2 * dy - dx;
        for (int i = 0; i < dx; ++i) {
            plot(x, y, color);
            if (err + bias > 0) {
                y += yStep;
                err += 2 * dy - 2 * dx;
            } else {
                err += 2 * dy;
            }
            x += xStep;
        }
    } else {
        int err = 2 * dx - dy;
        for (int i = 0; i < dy; ++i) {
            plot(x, y, color);
            if (err + bias > 0) {
                x += xStep;
                err += 2 * dx - 2 * dy;
            } else {
                err += 2 * dx;
            }
            y += yStep;
        }
    }
}

void TCanvas::fill(const QRect &rect, TColor color)
{
    const QRect r = rect.intersected(box_.image_.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            plot(x, y, color);
}

void TCanvas::LineTo(int x, int y)
{
    box_.syncImage();
    line(penPos_, QPoint(x, y), penColor_);
    penPos_ = QPoint(x, y);
    box_.update();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (left == right || top == bottom)
        return;
    box_.syncImage();
    // The outline runs on the last column and row inside the box.
    const QPoint corners[4] = {{right - 1, top}, {left, top}, {left, bottom - 1}, {right - 1, bottom - 1}};
    for (int i = 0; i < 4; ++i)
        line(corners[i], corners[(i + 1) % 4], penColor_);
    fill(QRect(QPoint(left + 1, top + 1), QPoint(right - 2, bottom - 2)), box_.Color());
    box_.update();
}

void TCanvas::Ellipse(int left, int top, int right, int bottom)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    // GDI has no round shape two pixels wide or less: it draws the box.
    // A box of 2 x 2 is four pen pixels, the dot the plot shows.
    if (right - left <= 2 || bottom - top <= 2) {
        Rectangle(left, top, right, bottom);
        return;
    }
    box_.syncImage();
    QPainter painter(&box_.image_);
    painter.setPen(ToQColor(penColor_));
    painter.setBrush(ToQColor(box_.Color()));
    painter.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
    box_.update();
}

TPaintBox::TPaintBox(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    syncImage();
}

TColor TPaintBox::Color() const
{
    if (ownColor_)
        return color_;
    if (auto *panel = qobject_cast<const TPanel *>(parentWidget()))
        return panel->Color();
    return clBtnFace;
}

void TPaintBox::SetColor(TColor color)
{
    color_ = color;
    ownColor_ = true;
}

void TPaintBox::Repaint()
{
    syncImage();
    image_.fill(ToQColor(Color()));
    repaint();
}

void TPaintBox::SetAlignClient(bool fill)
{
    alignClient_.SetEnabled(fill);
}

void TPaintBox::fillParent(QWidget &parent)
{
    auto *panel = qobject_cast<TPanel *>(&parent);
    setGeometry(panel ? panel->ClientRect() : parent.rect());
    syncImage();
}

void TPaintBox::syncImage()
{
    // Keep what is drawn; new area shows the background. Also called while
    // hidden, when Qt holds the resize event back until the box is shown.
    const QSize size(std::max(1, width()), std::max(1, height()));
    if (size == image_.size())
        return;
    QImage grown(size, QImage::Format_RGB32);
    grown.fill(ToQColor(Color()));
    QPainter painter(&grown);
    painter.drawImage(0, 0, image_);
    painter.end();
    image_ = grown;
}

void TPaintBox::resizeEvent(QResizeEvent *event)
{
    syncImage();
    QWidget::resizeEvent(event);
}

void TPaintBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
}

} // namespace toolkit
