#include "toolkit/TComponent.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace toolkit {

namespace {

void setFlagTree(QObject *root, bool on, void (TComponent::*set)(bool))
{
    if (!root)
        return;
    if (auto *component = dynamic_cast<TComponent *>(root))
        (component->*set)(on);
    for (QObject *child : root->children())
        setFlagTree(child, on, set);
}

} // namespace

void SetDesigning(QObject *root, bool on)
{
    setFlagTree(root, on, &TComponent::SetDesigning);
}

void SetLoading(QObject *root, bool on)
{
    setFlagTree(root, on, &TComponent::SetLoading);
}

QString ClassName(const QObject *object)
{
    if (!object)
        return QString();
    return QString::fromLatin1(object->metaObject()->className()).section(QStringLiteral("::"), -1);
}

TPointerReport::TPointerReport(QWidget *source, bool entered)
    : QEvent(EventType()), source_(source), entered_(entered)
{
    setAccepted(false);
}

QEvent::Type TPointerReport::EventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void ReportPointer(QWidget *source, bool entered)
{
    for (QWidget *w = source; w; w = w->parentWidget()) {
        TPointerReport report(source, entered);
        QCoreApplication::sendEvent(w, &report);
        if (report.isAccepted())
            return;
    }
}

namespace {

// Whether the point (global) is on the control's own area in its window.
bool pointerOnOwnArea(const QWidget &control, QPoint global)
{
    const QWidget *top = control.window();
    const QPoint at = top->mapFromGlobal(global);
    if (!top->rect().contains(at))
        return false;
    const QWidget *under = top->childAt(at);
    return (under ? under : top) == &control;
}

} // namespace

void TPointerPresence::Set(bool inside)
{
    if (inside)
        leftWhileHeld_ = false;
    if (inside == inside_)
        return;
    inside_ = inside;
    ReportPointer(&control_, inside);
}

void TPointerPresence::Follow(const QMouseEvent &event)
{
    if (event.buttons() == Qt::NoButton)
        return; // hovering: Qt's own enter and leave are on time
    // Only crossings Qt holds back: a leave after Qt's enter, and the way
    // back after such a leave.
    const bool on = pointerOnOwnArea(control_, event.globalPosition().toPoint());
    if (inside_ && !on) {
        Set(false);
        leftWhileHeld_ = true;
    } else if (!inside_ && on && leftWhileHeld_) {
        Set(true);
    }
}

} // namespace toolkit
