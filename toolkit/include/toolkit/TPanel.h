// A panel: a rectangle in one colour with optional 1-pixel outer and inner
// bevels, a centred caption, and an option to fill its parent's client area.
// It raises OnClick (left button pressed and released over it), the mouse
// events, and reports the pointer entering and leaving its own area to
// itself and then up the parents (ReportPointer).
#pragma once

#include "toolkit/AlignClient.h"
#include "toolkit/Colors.h"
#include "toolkit/TComponent.h"

#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

namespace toolkit {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// Keys and mouse buttons held during a mouse event.
struct TShiftState {
    Qt::KeyboardModifiers Keys;
    Qt::MouseButtons Buttons;
};

using TMouseEvent = std::function<void(QObject *Sender, Qt::MouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject *Sender, TShiftState Shift, int X, int Y)>;

// Dragging a control onto another: manual (BeginDrag) or at every left press.
enum class TDragMode { dmManual, dmAutomatic };
using TStartDragEvent = std::function<void(QObject *Sender)>;
// Target is null when the drag was not dropped on a control that took it.
using TEndDragEvent = std::function<void(QObject *Sender, QObject *Target, int X, int Y)>;
// Source is the dragged control, or null for a drag from outside the program.
using TDragOverEvent = std::function<void(QObject *Sender, QObject *Source, int X, int Y, bool &Accept)>;
using TDragDropEvent = std::function<void(QObject *Sender, QObject *Source, int X, int Y)>;

class TPanel : public QWidget, public TComponent {
    Q_OBJECT
public:
    explicit TPanel(QWidget *parent = nullptr);

    TColor Color() const { return color_; }
    void SetColor(TColor color);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut cut);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut cut);

    QString Caption() const { return caption_; }
    void SetCaption(const QString &caption);

    // The area inside the bevels, where children aligned to fill it go.
    QRect ClientRect() const;

    // Keeps the panel filling its parent's client area (inside a parent
    // panel's bevels), now and whenever the parent is resized.
    void SetAlignClient(bool fill);
    bool AlignClient() const { return alignClient_.Enabled(); }

    // Bounds as last given, which may be zero or negative in size; Qt
    // itself only holds sizes of zero and more. A resize from outside
    // (setGeometry, resize) takes over.
    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const;
    int Height() const;
    // Applies the bounds; a change of size reaches resizeEvent() at once,
    // also while the panel is hidden.
    void SetBounds(int left, int top, int width, int height);
    QRect Bounds() const { return QRect(Left(), Top(), Width(), Height()); }
    void SetBounds(const QRect &bounds) { SetBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height()); }

    // Whether a form designer may drop controls on the panel.
    bool AcceptsControls() const { return acceptsControls_; }
    void SetAcceptsControls(bool accepts) { acceptsControls_ = accepts; }

    // Runs OnClick; a left-button release over the panel calls it.
    virtual void Click();

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

    // The menu a right click pops up; not owned.
    QMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu *menu) { popupMenu_ = menu; }

    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode mode) { dragMode_ = mode; }
    Qt::CursorShape DragCursor() const { return dragCursor_; }
    void SetDragCursor(Qt::CursorShape cursor) { dragCursor_ = cursor; }
    // OnStartDrag, then drags the panel until it is dropped, then OnEndDrag.
    void BeginDrag();
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag;
    // The panel takes drops only while it has an OnDragOver, which decides.
    const TDragOverEvent &OnDragOver() const { return onDragOver_; }
    void SetOnDragOver(TDragOverEvent handler);
    TDragDropEvent OnDragDrop;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void fillParent(QWidget &parent);
    int bevelCount() const;

    TColor color_ = clBtnFace;
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    QString caption_;
    TAlignClient alignClient_{*this, [this](QWidget &parent) { fillParent(parent); }};
    bool acceptsControls_ = true;
    bool clicked_ = false;            // left button went down here
    TPointerPresence pointer_{*this}; // on the panel's own area
    int width_ = -1;                  // last size given to SetBounds
    int height_ = -1;
    QPointer<QMenu> popupMenu_;
    TDragMode dragMode_ = TDragMode::dmManual;
    Qt::CursorShape dragCursor_ = Qt::DragMoveCursor;
    TDragOverEvent onDragOver_;
};

// Draws one 1-pixel bevel just inside rect.
void DrawBevel(QPainter &painter, const QRect &rect, TBevelCut cut);

} // namespace toolkit
