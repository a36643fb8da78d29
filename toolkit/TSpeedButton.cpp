#include "toolkit/TSpeedButton.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>

namespace toolkit {

QImage TransparentGlyph(const QImage &bitmap)
{
    if (bitmap.isNull())
        return bitmap;
    QImage image = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] == key)
                row[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}

TSpeedButton::TSpeedButton(QWidget *parent)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(this, &QAbstractButton::clicked, this, [this] { Click(); });
}

void TSpeedButton::Click()
{
    if (OnClick)
        OnClick(this);
}

bool TSpeedButton::event(QEvent *event)
{
    const bool handled = QToolButton::event(event);
    if (event->type() == QEvent::MouseMove)
        pointer_.Follow(*static_cast<QMouseEvent *>(event));
    return handled;
}

void TSpeedButton::enterEvent(QEnterEvent *event)
{
    QToolButton::enterEvent(event);
    pointer_.Set(true);
}

void TSpeedButton::leaveEvent(QEvent *event)
{
    QToolButton::leaveEvent(event);
    pointer_.Set(false);
}

void TSpeedButton::SetGroupIndex(int index)
{
    groupIndex_ = index;
    setCheckable(index > 0);
}

void TSpeedButton::SetGlyph(const QImage &bitmap)
{
    glyph_ = bitmap;
    const QImage glyph = TransparentGlyph(bitmap);
    setIcon(glyph.isNull() ? QIcon() : QIcon(QPixmap::fromImage(glyph)));
    setIconSize(glyph.size());
    setToolButtonStyle(glyph.isNull() ? Qt::ToolButtonTextOnly
                       : text().isEmpty() ? Qt::ToolButtonIconOnly
                                          : Qt::ToolButtonTextBesideIcon);
}

} // namespace toolkit
