#include "toolkit/TPanel.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDrag>
#include <QEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

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

int TPanel::Width() const
{
    return std::max(width_, 0) == width() ? width_ : width();
}

int TPanel::Height() const
{
    return std::max(height_, 0) == height() ? height_ : height();
}

void TPanel::SetBounds(int left, int top, int width, int height)
{
    const QSize oldSize = size();
    const bool sizeChanged = width != Width() || height != Height();
    width_ = width;
    height_ = height;
    setGeometry(left, top, std::max(width, 0), std::max(height, 0));
    // Qt delivers a resize only to a visible widget whose size it changed.
    const bool delivered = isVisible() && size() != oldSize;
    if (sizeChanged && !delivered) {
        QResizeEvent resize(size(), oldSize);
        QCoreApplication::sendEvent(this, &resize);
    }
}

void TPanel::SetAlignClient(bool fill)
{
    alignClient_.SetEnabled(fill);
}

void TPanel::fillParent(QWidget &parent)
{
    if (auto *panel = qobject_cast<TPanel *>(&parent)) {
        const int b = panel->bevelCount();
        SetBounds(b, b, panel->Width() - 2 * b, panel->Height() - 2 * b);
    } else {
        setGeometry(parent.rect());
    }
}

void TPanel::Click()
{
    if (OnClick)
        OnClick(this);
}

void TPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && dragMode_ == TDragMode::dmAutomatic) {
        event->accept();
        BeginDrag();
        return;
    }
    if (event->button() == Qt::LeftButton)
        clicked_ = true;
    const QPoint p = event->position().toPoint();
    if (OnMouseDown)
        OnMouseDown(this, event->button(), {event->modifiers(), event->buttons()}, p.x(), p.y());
    event->accept(); // keeps the mouse until the release
}

void TPanel::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnMouseMove)
        OnMouseMove(this, {event->modifiers(), event->buttons()}, p.x(), p.y());
    event->accept();
}

void TPanel::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton && clicked_) {
        clicked_ = false;
        if (rect().contains(p))
            Click();
    }
    if (OnMouseUp)
        OnMouseUp(this, event->button(), {event->modifiers(), event->buttons()}, p.x(), p.y());
    event->accept();
}

bool TPanel::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // Every move, also those an override keeps from the base handler, and
    // after it: a dragged panel has followed the pointer by then.
    if (event->type() == QEvent::MouseMove)
        pointer_.Follow(*static_cast<QMouseEvent *>(event));
    return handled;
}

void TPanel::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    // Qt also tells every parent of the widget under the pointer; only the
    // one whose own area the pointer is on reports.
    if (!childAt(event->position().toPoint()))
        pointer_.Set(true);
}

void TPanel::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    pointer_.Set(false);
}

void TPanel::contextMenuEvent(QContextMenuEvent *event)
{
    if (!popupMenu_) {
        event->ignore(); // the parent's menu, if any
        return;
    }
    popupMenu_->popup(event->globalPos());
    event->accept();
}

namespace {

const QString kControlMime = QStringLiteral("application/x-lumivex-control");

} // namespace

void TPanel::BeginDrag()
{
    if (OnStartDrag)
        OnStartDrag(this);
    auto *drag = new QDrag(this);
    auto *mime = new QMimeData;
    mime->setData(kControlMime, objectName().toUtf8());
    drag->setMimeData(mime);
    drag->setDragCursor(QCursor(dragCursor_).pixmap(), Qt::MoveAction);
    const Qt::DropAction action = drag->exec(Qt::MoveAction);
    QObject *target = action == Qt::IgnoreAction ? nullptr : drag->target();
    drag->deleteLater();
    QPoint at;
    if (auto *w = qobject_cast<QWidget *>(target))
        at = w->mapFromGlobal(QCursor::pos());
    if (OnEndDrag)
        OnEndDrag(this, target, at.x(), at.y());
}

void TPanel::SetOnDragOver(TDragOverEvent handler)
{
    onDragOver_ = std::move(handler);
    setAcceptDrops(bool(onDragOver_));
}

void TPanel::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void TPanel::dragMoveEvent(QDragMoveEvent *event)
{
    bool accept = false;
    const QPoint p = event->position().toPoint();
    if (onDragOver_)
        onDragOver_(this, event->source(), p.x(), p.y(), accept);
    if (accept)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TPanel::dropEvent(QDropEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (OnDragDrop)
        OnDragDrop(this, event->source(), p.x(), p.y());
    event->acceptProposedAction();
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
