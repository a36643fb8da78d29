// A repeating timer with an enabled switch and an OnTimer event. Tick()
// delivers one tick by hand (only while enabled), so tests can drive the
// timing without waiting.
#pragma once

#include "toolkit/TComponent.h"

#include <QObject>
#include <QTimer>

namespace toolkit {

class TTimer : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TTimer(QObject *owner = nullptr);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    int Interval() const { return timer_.interval(); }
    void SetInterval(int ms);

    // One tick now, as if the interval had passed.
    void Tick();

    TNotifyEvent OnTimer;

private:
    QTimer timer_;
    bool enabled_ = true;
};

} // namespace toolkit
