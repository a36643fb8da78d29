// The track area of TZelkScrollBar with its track and thumb.
#include "widgets/CZelkScrollBar.h"

#include "ZelkAxis.h"
#include "ZelkRepeat.h"
#include "ZelkStep.h"

#include <QMouseEvent>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Nearest integer, halves to the even neighbour, held to the 32-bit range
// so that no float-to-int conversion can overflow.
std::int32_t roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = std::nearbyint(value);
    if (r <= double(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (r >= double(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return std::int32_t(r);
}

double span(std::int32_t min, std::int32_t max)
{
    return std::fabs(double(max) - double(min));
}

TZelkAxis axisOf(const TScroller &scroller)
{
    return TZelkAxis(scroller.Kind() == sbHorizontal);
}

} // namespace

// ---- TScroller ----

TScroller::TScroller(QWidget *owner)
    : toolkit::TPanel(owner)
{
    FKind = sbHorizontal;
    SetBevelOuter(toolkit::TBevelCut::bvNone);
    FMin = 0;
    FMax = 100;
    SetAcceptsControls(false);
    FTrk = 1;
    FThumbSize = 25;
    FBojaSetaca = toolkit::clBtnFace;
    FBojatrake = toolkit::clBtnHighlight;

    Traka = new TTraka(this);
    Traka->SetAcceptsControls(AcceptsControls());
    Traka->SetAlignClient(true);
    Traka->SetBevelOuter(toolkit::TBevelCut::bvRaised);
    Traka->SetColor(FBojatrake);

    // Created after the track, so it lies above it.
    Setac = new TSetac(this);
    Setac->SetAcceptsControls(AcceptsControls());
    Setac->SetBevelOuter(toolkit::TBevelCut::bvRaised);
}

TScroller::~TScroller()
{
    delete Setac;
    Setac = nullptr;
}

void TScroller::SetTrk(TTrk value)
{
    if (value != FTrk)
        FTrk = value;
}

void TScroller::SetBojaSetaca(toolkit::TColor value)
{
    FBojaSetaca = value;
    Setac->SetColor(value);
}

void TScroller::SetBojatrake(toolkit::TColor value)
{
    FBojatrake = value;
    Traka->SetColor(value);
}

void TScroller::SetThumbSize(Tkoliki value)
{
    if (value == FThumbSize)
        return;
    FThumbSize = value;
    // The leading edge stays until the next placement.
    Setac->SetBounds(axisOf(*this).WithLength(Setac->Bounds(), value));
}

void TScroller::SetPosition(std::int32_t value)
{
    FPosition = value;
    if (FPosition < 0)
        FPosition = 0;
    if (FPosition > FMax)
        FPosition = FMax;
    if (FPosition < FMin)
        FPosition = FMin;
    placeThumb();
}

void TScroller::SetMin(std::int32_t value)
{
    if (value == FMin)
        return;
    FMin = value;
    if (FPosition < value)
        FPosition = value;
    if (FPosition > FMax)
        FPosition = FMax;
    placeThumb();
}

void TScroller::SetMax(std::int32_t value)
{
    if (value == FMax)
        return;
    FMax = value;
    if (value < FPosition)
        FMax = FPosition;
    placeThumb();
}

void TScroller::SetKind(TKind value)
{
    if (value == FKind)
        return;
    FKind = value;
    if (Designing() && !Loading())
        SetBounds(Left(), Top(), Height(), Width());
}

int TScroller::travel() const
{
    const TZelkAxis axis = axisOf(*this);
    return axis.Length(Bounds()) - axis.Length(Setac->Bounds());
}

int TScroller::ThumbOffset() const
{
    if (FMin >= FPosition)
        return 0;
    const double range = span(FMin, FMax);
    if (range == 0) // the writers keep Position at Min then; a drag too
        return 0;
    return roundHalfEven((double(FPosition) - double(FMin)) / range * travel());
}

std::int32_t TScroller::PositionFromThumb() const
{
    const int t = travel();
    if (t <= 0) // no room to move: the thumb stands for Min
        return FMin;
    const int p = axisOf(*this).Start(Setac->Bounds());
    return roundHalfEven(double(FMin) + std::nearbyint(double(p) / t * span(FMin, FMax)));
}

void TScroller::placeThumb()
{
    Setac->SetBounds(axisOf(*this).WithStart(Setac->Bounds(), ThumbOffset()));
}

void TScroller::NotifyChange()
{
    if (QWidget *bar = parentWidget())
        bar->setFocus(Qt::OtherFocusReason);
    if (OnScroll)
        OnScroll(this, FPosition);
    emit positionChanged(FPosition);
}

void TScroller::resizeEvent(QResizeEvent *event)
{
    toolkit::TPanel::resizeEvent(event);
    // The offset still uses the thumb's old length; rewriting Position
    // below places it for the new one.
    const TZelkAxis axis = axisOf(*this);
    Setac->SetBounds(axis.Box(ThumbOffset(), 0, FThumbSize, axis.Across(Width(), Height())));
    SetPosition(FPosition);
}

// ---- TTraka ----

TTraka::TTraka(QWidget *owner)
    : toolkit::TPanel(owner)
{
    CreateRepeatTimers(this);
}

TTraka::~TTraka()
{
    delete RepeatTimer;
    delete DelayTimer;
}

void TTraka::RepeatTick(QObject *)
{
    Click();
}

void TTraka::DelayTick(QObject *)
{
    DelayTimer->SetEnabled(false);
    RepeatTimer->SetEnabled(true);
}

void TTraka::Click()
{
    if (auto *scroller = qobject_cast<TScroller *>(parentWidget())) {
        const TZelkAxis axis = axisOf(*scroller);
        const int down = axis.Along(DownX, DownY);
        const TSetac *thumb = scroller->Setac;
        const std::int32_t trk = scroller->Trk();
        const auto step = [scroller](std::int32_t delta) {
            scroller->SetPosition(StepFrom(scroller->Position(), delta));
        };
        // Each test sees the thumb where the one before left it.
        if (down < axis.Start(thumb->Bounds()))
            step(-trk);
        if (down > axis.Start(thumb->Bounds()) + axis.Length(thumb->Bounds()))
            step(trk);
        scroller->NotifyChange();
    }
    toolkit::TPanel::Click();
}

void TTraka::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    DownX = p.x();
    DownY = p.y();
    DelayTimer->SetEnabled(true);
    toolkit::TPanel::mousePressEvent(event);
}

void TTraka::mouseReleaseEvent(QMouseEvent *event)
{
    StopRepeat(this);
    toolkit::TPanel::mouseReleaseEvent(event);
}

bool TTraka::event(QEvent *event)
{
    if (event->type() == toolkit::TPointerReport::EventType() &&
        !static_cast<toolkit::TPointerReport *>(event)->Entered()) {
        StopRepeat(this);
        event->accept();
        return true;
    }
    return toolkit::TPanel::event(event);
}

void TTraka::leaveEvent(QEvent *event)
{
    // Also a leave that no enter came before: the repeat stops all the same.
    StopRepeat(this);
    toolkit::TPanel::leaveEvent(event);
}

// ---- TSetac ----

void TSetac::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !Dragging) {
        Dragging = true;
        const QPoint p = event->position().toPoint();
        DownX = p.x();
        DownY = p.y();
    }
    toolkit::TPanel::mousePressEvent(event);
}

void TSetac::mouseMoveEvent(QMouseEvent *event)
{
    auto *scroller = qobject_cast<TScroller *>(parentWidget());
    if (!scroller || !(event->buttons() & Qt::LeftButton))
        return;
    if (scroller->FMax == scroller->FMin && scroller->FMin == scroller->FPosition)
        return;
    const TZelkAxis axis = axisOf(*scroller);
    DragLow = 0;
    DragHigh = axis.Length(scroller->Bounds());
    if (Dragging) {
        const QPoint p = event->position().toPoint();
        const QRect box = Bounds();
        int start = axis.Start(box) + axis.Along(p.x(), p.y()) - axis.Along(DownX, DownY);
        if (start < DragLow)
            start = DragLow;
        if (start > DragHigh || start + axis.Length(box) > DragHigh)
            start = DragHigh - axis.Length(box);
        SetBounds(axis.WithStart(box, start));
    }
    // Stored as it is: the thumb stays where the pointer put it.
    scroller->FPosition = scroller->PositionFromThumb();
    scroller->NotifyChange();
    toolkit::TPanel::mouseMoveEvent(event);
}

void TSetac::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Dragging = false;
    toolkit::TPanel::mouseReleaseEvent(event);
}
