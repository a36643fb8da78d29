#include "TPanel.h"

#include <QEvent>
#include <QPainter>

namespace toolkit {

void DrawBevel(QPainter &painter, const QRect &rect, TBevelCut cut)
{
    if (cut == TBevelCut::bvNone || rect.width() <= 0 || rect.height() <= 0)
        return;
    const QColor light = ToQColor(clBtnHighlight);
    const QColor dark = ToQColor(clBtnShadow);
    const QColor topLeft = cut == TBevelCut::bvRaised ? light : dark;
    const QColor bottomRight = cut == TBevelCut::bvRaised ? dark : light;
    const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
    painter.setPen(topLeft);
    painter.drawLine(l, t, r, t);
    painter.drawLine(l, t, l, b);
    painter.setPen(bottomRight);
    painter.drawLine(l, b, r, b);
    painter.drawLine(r, t, r, b);
}

TPanel::TPanel(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPanel::SetColor(TColor color)
{
    color_ = color;
    update();
}

void TPanel::SetBevelOuter(TBevelCut cut)
{
    bevelOuter_ = cut;
    update();
}

void TPanel::SetBevelInner(TBevelCut cut)
{
    bevelInner_ = cut;
    update();
}

void TPanel::SetCaption(const QString &caption)
{
    caption_ = caption;
    update();
}

int TPanel::bevelCount() const
{
    return (bevelOuter_ != TBevelCut::bvNone ? 1 : 0) + (bevelInner_ != TBevelCut::bvNone ? 1 : 0);
}

QRect TPanel::ClientRect() const
{
    const int b = bevelCount();
    return rect().adjusted(b, b, -b, -b);
}

void TPanel::SetAlignClient(bool fill)
{
    if (fill == alignClient_)
        return;
    alignClient_ = fill;
    if (QWidget *p = parentWidget()) {
        if (fill)
            p->installEventFilter(this);
        else
            p->removeEventFilter(this);
    }
    if (fill)
        fillParent();
}

void TPanel::fillParent()
{
    QWidget *p = parentWidget();
    if (!p)
        return;
    if (auto *panel = qobject_cast<TPanel *>(p))
        setGeometry(panel->ClientRect());
    else
        setGeometry(p->rect());
}

bool TPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (alignClient_ && watched == parentWidget() && event->type() == QEvent::Resize)
        fillParent();
    return QWidget::eventFilter(watched, event);
}

void TPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(color_));
    QRect r = rect();
    if (bevelOuter_ != TBevelCut::bvNone) {
        DrawBevel(painter, r, bevelOuter_);
        r.adjust(1, 1, -1, -1);
    }
    DrawBevel(painter, r, bevelInner_);
    if (!caption_.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(ClientRect(), Qt::AlignCenter, caption_);
    }
}

} // namespace toolkit
