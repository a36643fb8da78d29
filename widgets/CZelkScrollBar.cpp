#include "widgets/CZelkScrollBar.h"
#include "ZelkAxis.h"
#include "ZelkStep.h"

#include "toolkit/Resources.h"
#include "toolkit/TTimer.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QList>
#include <QSizePolicy>
#include <QToolTip>
#include <QWheelEvent>

// Qt resources of a static library are registered by hand, outside any
// namespace.
static void initZelkResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(zelkscrollbar);
        return true;
    }();
    (void)done;
}

QImage ArrowGlyphLT;
QImage ArrowGlyphRD;

namespace {

void loadGlyphs(TKindd kind)
{
    const bool horizontal = kind == tbHorizontal;
    ArrowGlyphLT = toolkit::LoadBitmapResource(horizontal ? "levoScrollBar" : "goreScrollbar");
    ArrowGlyphRD = toolkit::LoadBitmapResource(horizontal ? "desnoScrollBar" : "doleScrollbar");
}

bool isArrowKey(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

TZelkScrollBar::TZelkScrollBar(QWidget *owner)
    : toolkit::TPanel(owner)
{
    initZelkResources();
    SetBounds(0, 0, DefaultLength, DefaultThickness);
    // Long and thin in a layout: it stretches along, keeps its thickness.
    setSizePolicy(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed, QSizePolicy::Slider));
    SetBevelOuter(toolkit::TBevelCut::bvRaised);
    FSmallChange = 1;
    SetCaption(QStringLiteral(" "));
    SetTabStop(true);
    FVersion = QString::fromLatin1(VersionText);
    loadGlyphs(tbHorizontal);
    ButtonUp = new TButtonUp(this);
    ButtonUp->SetFlat(true);
    ButtonUp->SetGlyph(ArrowGlyphLT);
    Scroller = new TScroller(this);
    ButtonDown = new TButtonDown(this);
    ButtonDown->SetFlat(true);
    ButtonDown->SetGlyph(ArrowGlyphRD);
    SetAcceptsControls(false);

    connect(Scroller, &TScroller::positionChanged, this, &TZelkScrollBar::positionChanged);
    connect(ButtonUp, &TArrowButton::arrowClicked, this, [this] { emit arrowClicked(Arrow::Back); });
    connect(ButtonDown, &TArrowButton::arrowClicked, this, [this] { emit arrowClicked(Arrow::Forward); });
}

QImage TZelkScrollBar::PalettePicture()
{
    initZelkResources();
    return toolkit::LoadBitmapResource(QStringLiteral("TZELKSCROLLBAR"));
}

TZelkScrollBar::~TZelkScrollBar()
{
    delete ButtonUp;
    ButtonUp = nullptr;
    delete ButtonDown;
    ButtonDown = nullptr;
    delete Scroller;
    Scroller = nullptr;
}

void TZelkScrollBar::SetHintSecondLine(const QString &value)
{
    FHintSecondLine = value;
    if (!Designing() && !Hint().isEmpty() && !value.isEmpty())
        SetHint(Hint() + QChar(0x0D) + value);
}

toolkit::TNotifyEvent TZelkScrollBar::OnClickBtnLT() const
{
    return ButtonUp->OnClick;
}

void TZelkScrollBar::SetOnClickBtnLT(toolkit::TNotifyEvent handler)
{
    ButtonUp->OnClick = std::move(handler);
}

toolkit::TNotifyEvent TZelkScrollBar::OnClickBtnRD() const
{
    return ButtonDown->OnClick;
}

void TZelkScrollBar::SetOnClickBtnRD(toolkit::TNotifyEvent handler)
{
    ButtonDown->OnClick = std::move(handler);
}

TOnScroll TZelkScrollBar::OnChange() const
{
    return Scroller->OnScroll;
}

void TZelkScrollBar::SetOnChange(TOnScroll handler)
{
    Scroller->OnScroll = std::move(handler);
}

void TZelkScrollBar::setRepeatDelay(int milliseconds)
{
    repeatDelay_ = std::max(0, milliseconds);
    for (toolkit::TTimer *delay : {ButtonUp->DelayTimer, ButtonDown->DelayTimer, Scroller->Traka->DelayTimer})
        delay->SetInterval(repeatDelay_);
}

void TZelkScrollBar::SetSmallChange(TStep value)
{
    if (value == FSmallChange)
        return;
    FSmallChange = value;
    if (Designing() && !Loading() && Max() < FSmallChange)
        FSmallChange = TStep(Max());
}

TTrk TZelkScrollBar::LargeChange()
{
    if (Designing() && Scroller->Max() < Scroller->Trk())
        Scroller->SetTrk(TTrk(Scroller->Max()));
    return Scroller->Trk();
}

void TZelkScrollBar::SetLargeChange(TTrk value)
{
    Scroller->SetTrk(value);
}

toolkit::TColor TZelkScrollBar::ColorThumb() const
{
    return Scroller->BojaSetaca();
}

void TZelkScrollBar::SetColorThumb(toolkit::TColor value)
{
    Scroller->SetBojaSetaca(value);
}

toolkit::TColor TZelkScrollBar::ColorBand() const
{
    return Scroller->Bojatrake();
}

void TZelkScrollBar::SetColorBand(toolkit::TColor value)
{
    Scroller->SetBojatrake(value);
}

QColor TZelkScrollBar::thumbColor() const
{
    return toolkit::ToQColor(ColorThumb());
}

void TZelkScrollBar::setThumbColor(const QColor &color)
{
    SetColorThumb(toolkit::FromQColor(color));
}

void TZelkScrollBar::resetThumbColor()
{
    SetColorThumb(toolkit::clBtnFace);
}

QColor TZelkScrollBar::bandColor() const
{
    return toolkit::ToQColor(ColorBand());
}

void TZelkScrollBar::setBandColor(const QColor &color)
{
    SetColorBand(toolkit::FromQColor(color));
}

void TZelkScrollBar::resetBandColor()
{
    SetColorBand(toolkit::clBtnHighlight);
}

Tkoliki TZelkScrollBar::ThumbSize() const
{
    return Scroller->ThumbSize();
}

void TZelkScrollBar::SetThumbSize(Tkoliki value)
{
    Scroller->SetThumbSize(value);
}

std::int32_t TZelkScrollBar::Min()
{
    if (Designing() && Scroller->Max() < Scroller->Min())
        Scroller->FMin = Scroller->Max(); // stored as it is; the thumb stays
    return Scroller->Min();
}

void TZelkScrollBar::SetMin(std::int32_t value)
{
    Scroller->SetMin(value);
}

std::int32_t TZelkScrollBar::Max() const
{
    return Scroller->Max();
}

void TZelkScrollBar::SetMax(std::int32_t value)
{
    Scroller->SetMax(value);
}

std::int32_t TZelkScrollBar::Position() const
{
    return Scroller->Position();
}

void TZelkScrollBar::SetPosition(std::int32_t value)
{
    Scroller->SetPosition(value);
}

void TZelkScrollBar::SetKind(TKindd value)
{
    if (value == FKind)
        return;
    FKind = value;
    Scroller->SetKind(value == tbHorizontal ? sbHorizontal : sbVertical);
    setSizePolicy(sizePolicy().transposed());
    updateGeometry();
    // Without a parent the layout waits for the parent and a size.
    if (parentWidget())
        Layout();
    else
        layoutPending_ = true;
    if (Designing() && !Loading()) {
        const int oldWidth = Width();
        const int oldHeight = Height();
        SetBounds(Left(), Top(), oldHeight, Height());
        SetBounds(Left(), Top(), Width(), oldWidth);
    }
}

void TZelkScrollBar::SetParentColor(bool parentColor)
{
    parentColor_ = parentColor;
    if (auto *panel = qobject_cast<toolkit::TPanel *>(parentWidget()); panel && parentColor)
        SetColor(panel->Color());
}

void TZelkScrollBar::SetTabStop(bool on)
{
    setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
}

namespace {

// The parent's direct children that take the focus by Tab, in tab order.
QList<QWidget *> tabStops(QWidget *parent)
{
    QList<QWidget *> stops;
    for (QWidget *w = parent->nextInFocusChain(); w && w != parent; w = w->nextInFocusChain())
        if (w->parentWidget() == parent && (w->focusPolicy() & Qt::TabFocus))
            stops.append(w);
    return stops;
}

} // namespace

int TZelkScrollBar::TabOrder() const
{
    QWidget *parent = parentWidget();
    if (!parent)
        return -1;
    return int(tabStops(parent).indexOf(const_cast<TZelkScrollBar *>(this)));
}

void TZelkScrollBar::SetTabOrder(int order)
{
    QWidget *parent = parentWidget();
    if (!parent || !TabStop())
        return;
    QList<QWidget *> stops = tabStops(parent);
    stops.removeAll(this);
    stops.insert(std::clamp<qsizetype>(order, 0, stops.size()), this);
    // The focus chain is a ring; chaining from the parent makes the order
    // start there. Qt chains only widgets that take the focus.
    const Qt::FocusPolicy parentPolicy = parent->focusPolicy();
    if (parentPolicy == Qt::NoFocus)
        parent->setFocusPolicy(Qt::TabFocus);
    QWidget *previous = parent;
    for (QWidget *stop : stops) {
        QWidget::setTabOrder(previous, stop);
        previous = stop;
    }
    parent->setFocusPolicy(parentPolicy);
}

void TZelkScrollBar::MoveToMin()
{
    SetPosition(Min());
    Scroller->NotifyChange();
}

void TZelkScrollBar::MoveToMax()
{
    SetPosition(Max());
    Scroller->NotifyChange();
}

void TZelkScrollBar::PageBack()
{
    SetPosition(StepFrom(Position(), -std::int32_t(LargeChange())));
    Scroller->NotifyChange();
}

void TZelkScrollBar::PageForward()
{
    SetPosition(StepFrom(Position(), std::int32_t(LargeChange())));
    Scroller->NotifyChange();
}

void TZelkScrollBar::Layout()
{
    if (!ButtonUp || !ButtonDown || !Scroller)
        return; // still being built or taken apart
    layoutPending_ = false;
    const TZelkAxis axis(FKind == tbHorizontal);
    const int length = axis.Along(Width(), Height());
    const int thickness = axis.Across(Width(), Height());
    loadGlyphs(FKind);
    ButtonUp->setGeometry(axis.Box(0, 0, ArrowLength, thickness));
    ButtonDown->setGeometry(axis.Box(length - ArrowLength, 0, ArrowLength, thickness));
    Scroller->SetBounds(axis.Box(ArrowLength, 0, length - 2 * ArrowLength, thickness));
    ButtonUp->SetGlyph(ArrowGlyphLT);
    ButtonDown->SetGlyph(ArrowGlyphRD);
}

QSize TZelkScrollBar::sizeHint() const
{
    return TZelkAxis(FKind == tbHorizontal).Box(0, 0, DefaultLength, DefaultThickness).size();
}

QSize TZelkScrollBar::minimumSizeHint() const
{
    return sizeHint();
}

void TZelkScrollBar::resizeEvent(QResizeEvent *event)
{
    toolkit::TPanel::resizeEvent(event);
    Layout();
}

bool TZelkScrollBar::event(QEvent *event)
{
    if (event->type() == toolkit::TPointerReport::EventType()) {
        // Reports of the bar and of every part end here.
        if (static_cast<toolkit::TPointerReport *>(event)->Entered()) {
            if (OnMouseEnter)
                OnMouseEnter(this);
            emit mouseEntered();
        } else {
            if (OnMouseExit)
                OnMouseExit(this);
            emit mouseExited();
        }
        event->accept();
        return true;
    }
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // The arrow keys belong to the bar, not to shortcuts or focus moves.
        if (isArrowKey(static_cast<QKeyEvent *>(event)->key())) {
            event->accept();
            return true;
        }
        break;
    case QEvent::ToolTip: {
        if (!showHint_ || Hint().isEmpty()) {
            QToolTip::hideText(); // and no other control's hint in its place
            return true;
        }
        QString text = Hint();
        text.replace(QChar(0x0D), QChar('\n'));
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text, this);
        return true;
    }
    case QEvent::ParentChange:
        if (layoutPending_ && parentWidget())
            Layout();
        break;
    default:
        break;
    }
    return toolkit::TPanel::event(event);
}

void TZelkScrollBar::changeEvent(QEvent *event)
{
    toolkit::TPanel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && ButtonUp && ButtonDown) {
        ButtonUp->setEnabled(isEnabled());
        ButtonDown->setEnabled(isEnabled());
    }
}

namespace {

// Focus lost to another window or a popup comes back to the same control;
// the control stays the window's active one.
bool leavesTheWindow(const QFocusEvent *event)
{
    return event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
}

} // namespace

void TZelkScrollBar::focusInEvent(QFocusEvent *)
{
    // No focus mark.
    if (active_)
        return;
    active_ = true;
    if (OnEnter)
        OnEnter(this);
}

void TZelkScrollBar::focusOutEvent(QFocusEvent *event)
{
    Scroller->Setac->SetBevelInner(toolkit::TBevelCut::bvNone);
    if (!active_ || leavesTheWindow(event))
        return;
    active_ = false;
    if (OnExit)
        OnExit(this);
}

void TZelkScrollBar::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        ButtonUp->Click();
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        ButtonDown->Click();
        break;
    case Qt::Key_Home:
        MoveToMin();
        break;
    case Qt::Key_End:
        MoveToMax();
        break;
    case Qt::Key_PageUp:
        PageBack();
        break;
    case Qt::Key_PageDown:
        PageForward();
        break;
    default:
        break;
    }
    toolkit::TPanel::keyPressEvent(event);
    event->ignore(); // the key goes on
}

void TZelkScrollBar::wheelEvent(QWheelEvent *event)
{
    // As on QScrollBar: turning up or left steps back. A notch is one
    // SmallChange; finer wheels add up to whole notches.
    const QPoint turn = event->angleDelta();
    int delta = turn.y() != 0 ? turn.y() : turn.x();
    if (event->inverted())
        delta = -delta;
    const std::int64_t total = std::int64_t(wheelDelta_) + delta;
    const std::int64_t notches = total / QWheelEvent::DefaultDeltasPerStep;
    wheelDelta_ = int(total - notches * QWheelEvent::DefaultDeltasPerStep);
    event->accept();
    if (notches == 0)
        return;
    SetPosition(StepFrom(Position(), -notches * std::int64_t(FSmallChange)));
    Scroller->NotifyChange();
}
