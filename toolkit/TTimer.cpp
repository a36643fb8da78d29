#include "toolkit/TTimer.h"

namespace toolkit {

TTimer::TTimer(QObject *owner)
    : QObject(owner)
{
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &TTimer::Tick);
    timer_.start();
}

void TTimer::SetEnabled(bool on)
{
    enabled_ = on;
    if (on)
        timer_.start();
    else
        timer_.stop();
}

void TTimer::SetInterval(int ms)
{
    timer_.setInterval(ms);
    if (enabled_)
        timer_.start(); // the new interval counts from now
}

void TTimer::Tick()
{
    if (enabled_ && OnTimer)
        OnTimer(this);
}

} // namespace toolkit
