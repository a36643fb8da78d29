// The arrow buttons of TZelkScrollBar and their press-and-hold repeat.
#include "ZelkRepeat.h"
#include "ZelkStep.h"
#include "widgets/CZelkScrollBar.h"

#include <QMouseEvent>

TArrowButton::TArrowButton(QWidget *owner, int direction)
    : toolkit::TSpeedButton(owner), direction_(direction)
{
    CreateRepeatTimers(this);
}

TArrowButton::~TArrowButton()
{
    delete RepeatTimer;
    delete DelayTimer;
}

void TArrowButton::Click()
{
    // One step of the bar that owns the button, then the notification.
    if (auto *bar = qobject_cast<TZelkScrollBar *>(parentWidget())) {
        bar->SetPosition(StepFrom(bar->Position(), direction_ * std::int32_t(bar->SmallChange())));
        bar->Scroller->NotifyChange();
    }
    toolkit::TSpeedButton::Click();
    emit arrowClicked();
}

void TArrowButton::RepeatTick(QObject *)
{
    Click();
}

void TArrowButton::DelayTick(QObject *)
{
    DelayTimer->SetEnabled(false);
    RepeatTimer->SetEnabled(true);
}

void TArrowButton::mousePressEvent(QMouseEvent *event)
{
    // Any button arms the repeat; only the left one presses the button.
    // The event is kept either way, so that the release comes back here.
    DelayTimer->SetEnabled(true);
    toolkit::TSpeedButton::mousePressEvent(event);
    event->accept();
}

void TArrowButton::mouseReleaseEvent(QMouseEvent *event)
{
    StopRepeat(this);
    toolkit::TSpeedButton::mouseReleaseEvent(event);
    event->accept();
}
