// Press-and-hold repeat shared by the arrows and the track: a press arms
// DelayTimer; its tick starts RepeatTimer, whose every tick is one click.
#pragma once

#include "toolkit/TTimer.h"

#include <QObject>

// Both timers owned by control, stopped, 50 ms, wired to its ticks.
template <class Control>
void CreateRepeatTimers(Control *control)
{
    control->RepeatTimer = new toolkit::TTimer(control);
    control->RepeatTimer->SetEnabled(false);
    control->RepeatTimer->SetInterval(50);
    control->RepeatTimer->OnTimer = [control](QObject *sender) { control->RepeatTick(sender); };
    control->DelayTimer = new toolkit::TTimer(control);
    control->DelayTimer->SetEnabled(false);
    control->DelayTimer->SetInterval(50);
    control->DelayTimer->OnTimer = [control](QObject *sender) { control->DelayTick(sender); };
}

template <class Control>
void StopRepeat(Control *control)
{
    control->RepeatTimer->SetEnabled(false);
    control->DelayTimer->SetEnabled(false);
}
