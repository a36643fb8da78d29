// What every toolkit control shares beyond Qt: the design-mode and loading
// flags a form designer or loader sets, the notification event type, and
// the pointer entered/left reports that climb to the first parent that
// handles them.
#pragma once

#include <QEvent>
#include <QObject>
#include <QString>

#include <functional>

class QMouseEvent;
class QWidget;

namespace toolkit {

using TNotifyEvent = std::function<void(QObject *Sender)>;

enum TComponentStateFlag { csLoading = 0x1, csDesigning = 0x2 };

class TComponent {
public:
    virtual ~TComponent() = default;

    int ComponentState() const { return state_; }
    bool Designing() const { return state_ & csDesigning; }
    bool Loading() const { return state_ & csLoading; }
    void SetDesigning(bool on) { setFlag(csDesigning, on); }
    void SetLoading(bool on) { setFlag(csLoading, on); }

private:
    void setFlag(int flag, bool on) { state_ = on ? (state_ | flag) : (state_ & ~flag); }
    int state_ = 0;
};

// Sets the flag on root and on every component below it; a designer or a
// loader works on a control together with the parts it owns.
void SetDesigning(QObject *root, bool on);
void SetLoading(QObject *root, bool on);

// The class name without its namespace, as events print their Sender.
QString ClassName(const QObject *object);

// "The pointer entered / left Source". Sent first to Source, then to each
// parent in turn until one accepts it.
class TPointerReport : public QEvent {
public:
    TPointerReport(QWidget *source, bool entered);
    static QEvent::Type EventType();

    QWidget *Source() const { return source_; }
    bool Entered() const { return entered_; }

private:
    QWidget *source_;
    bool entered_;
};

void ReportPointer(QWidget *source, bool entered);

// Whether the pointer is on a control's own area (on the control itself,
// not on a child or on a sibling lying above it), reported with
// ReportPointer whenever that changes. Qt holds enter and leave back while
// a mouse button is held and tells them only after the release; Follow()
// reports the control's crossings then, as the pointer makes them.
class TPointerPresence {
public:
    explicit TPointerPresence(QWidget &control) : control_(control) {}

    // Reports a change; the same state again reports nothing.
    void Set(bool inside);
    // For every mouse move the control receives.
    void Follow(const QMouseEvent &event);

private:
    QWidget &control_;
    bool inside_ = false;
    bool leftWhileHeld_ = false; // so the way back is reported too
};

} // namespace toolkit
