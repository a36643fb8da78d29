// The application object and the general error handler: an exception that
// no command handler caught ends the command that raised it and shows its
// message in the error box; the program goes on.
#pragma once

#include <QApplication>
#include <QString>

#include <exception>

namespace toolkit {

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows the exception's message in the error box.
    static void HandleException(const std::exception &error);

    // The folder that holds the program's executable.
    static QString ExeDir();
};

// Runs an event handler under the general error handler. Handlers bound to
// Qt signals and event filters run through this, so their exceptions stop
// here and never unwind through Qt's own frames (which would skip Qt's
// clean-up); notify() is the net for anything else.
template <class Handler> void RunHandler(Handler &&handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        TApplication::HandleException(error);
    }
}

} // namespace toolkit
