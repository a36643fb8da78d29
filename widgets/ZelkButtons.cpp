// The arrow buttons of TZelkScrollBar and their press-and-hold repeat.
#include "CZelkScrollBar.h"
#include "ZelkStep.h"

#include <QMouseEvent>

namespace {

template <class Button>
void createTimers(Button *button)
{
    button->RepeatTimer = new toolkit::TTimer(button);
    button->RepeatTimer->SetEnabled(false);
    button->RepeatTimer->SetInterval(50);
    button->RepeatTimer->OnTimer = [button](QObject *sender) { button->RepeatTick(sender); };
    button->DelayTimer = new toolkit::TTimer(button);
    button->DelayTimer->SetEnabled(false);
    button->DelayTimer->SetInterval(50);
    button->DelayTimer->OnTimer = [button](QObject *sender) { button->DelayTick(sender); };
}

// One step of the bar that owns the button, then the notification.
void stepBar(QWidget *button, int direction)
{
    auto *bar = qobject_cast<TZelkScrollBar *>(button->parentWidget());
    if (!bar)
        return;
    bar->SetPosition(StepFrom(bar->Position(), direction * std::int32_t(bar->SmallChange())));
    bar->Scroller->NotifyChange();
}

template <class Button>
void stopRepeat(Button *button)
{
    button->RepeatTimer->SetEnabled(false);
    button->DelayTimer->SetEnabled(false);
}

} // namespace

TButtonUp::TButtonUp(QWidget *owner)
    : toolkit::TSpeedButton(owner)
{
    createTimers(this);
}

TButtonUp::~TButtonUp()
{
    delete RepeatTimer;
    delete DelayTimer;
}

void TButtonUp::Click()
{
    stepBar(this, -1);
    toolkit::TSpeedButton::Click();
}

void TButtonUp::RepeatTick(QObject *)
{
    Click();
}

void TButtonUp::DelayTick(QObject *)
{
    DelayTimer->SetEnabled(false);
    RepeatTimer->SetEnabled(true);
}

void TButtonUp::mousePressEvent(QMouseEvent *event)
{
    // Any button arms the repeat; only the left one presses the button.
    // The event is kept either way, so that the release comes back here.
    DelayTimer->SetEnabled(true);
    toolkit::TSpeedButton::mousePressEvent(event);
    event->accept();
}

void TButtonUp::mouseReleaseEvent(QMouseEvent *event)
{
    stopRepeat(this);
    toolkit::TSpeedButton::mouseReleaseEvent(event);
    event->accept();
}

TButtonDown::TButtonDown(QWidget *owner)
    : toolkit::TSpeedButton(owner)
{
    createTimers(this);
}

TButtonDown::~TButtonDown()
{
    delete RepeatTimer;
    delete DelayTimer;
}

void TButtonDown::Click()
{
    stepBar(this, +1);
    toolkit::TSpeedButton::Click();
}

void TButtonDown::RepeatTick(QObject *)
{
    Click();
}

void TButtonDown::DelayTick(QObject *)
{
    DelayTimer->SetEnabled(false);
    RepeatTimer->SetEnabled(true);
}

void TButtonDown::mousePressEvent(QMouseEvent *event)
{
    // Any button arms the repeat; only the left one presses the button.
    // The event is kept either way, so that the release comes back here.
    DelayTimer->SetEnabled(true);
    toolkit::TSpeedButton::mousePressEvent(event);
    event->accept();
}

void TButtonDown::mouseReleaseEvent(QMouseEvent *event)
{
    stopRepeat(this);
    toolkit::TSpeedButton::mouseReleaseEvent(event);
    event->accept();
}
