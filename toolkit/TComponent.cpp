#include "TComponent.h"

#include <QCoreApplication>
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

} // namespace toolkit
