#include "toolkit/MessageBoxes.h"

#include "rtl/Messages.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace toolkit {

namespace {

TMessageBoxHook &currentHook()
{
    static TMessageBoxHook hook;
    return hook;
}

void show(TMessageKind kind, const QString &text)
{
    const TMessageBoxHook hook = currentHook();
    if (hook) {
        hook({kind, text});
        return;
    }
    QMessageBox box(kind == TMessageKind::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    kind == TMessageKind::Error ? QStringLiteral("Error") : QApplication::applicationName(),
                    text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook)
{
    return std::exchange(currentHook(), std::move(hook));
}

void ShowMessageBox(const QString &text) { show(TMessageKind::Plain, text); }

void ShowErrorBox(const QString &text) { show(TMessageKind::Error, text); }

void InstallMessageHandler()
{
    rtl::SetMessageHandler([](const std::string &text) { ShowMessageBox(QString::fromStdString(text)); });
}

TMessageBoxRecorder::TMessageBoxRecorder()
    : previous_(SetMessageBoxHook([this](const TShownMessage &message) { shown_.push_back(message); }))
{
}

TMessageBoxRecorder::~TMessageBoxRecorder()
{
    SetMessageBoxHook(std::move(previous_));
}

QStringList TMessageBoxRecorder::Texts(TMessageKind kind) const
{
    QStringList texts;
    for (const TShownMessage &message : shown_)
        if (message.kind == kind)
            texts << message.text;
    return texts;
}

} // namespace toolkit
