// Modal message boxes with one OK button: the plain one behind
// rtl::ShowMessage and the error box. Tests record and answer them through
// a hook instead of showing them.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace toolkit {

enum class TMessageKind {
    Plain, // the application's title, no icon
    Error, // caption "Error", error icon
};

struct TShownMessage {
    TMessageKind kind;
    QString text;
};

using TMessageBoxHook = std::function<void(const TShownMessage &)>;

// Installs a hook (an empty one restores the real boxes) and returns the
// one it replaces.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);

void ShowMessageBox(const QString &text);
void ShowErrorBox(const QString &text);

// Routes rtl::ShowMessage, which the core uses, to ShowMessageBox.
void InstallMessageHandler();

// Records every box shown while it lives, then puts the previous hook back.
class TMessageBoxRecorder {
public:
    TMessageBoxRecorder();
    ~TMessageBoxRecorder();
    TMessageBoxRecorder(const TMessageBoxRecorder &) = delete;
    TMessageBoxRecorder &operator=(const TMessageBoxRecorder &) = delete;

    const std::vector<TShownMessage> &Shown() const { return shown_; }
    // The texts of the boxes of one kind, in order.
    QStringList Texts(TMessageKind kind) const;
    void Clear() { shown_.clear(); }

private:
    std::vector<TShownMessage> shown_;
    TMessageBoxHook previous_;
};

} // namespace toolkit
