// The application object. Its notify() is the general error handler: an
// exception that no command handler caught ends the event that raised it
// and shows its message in the error box; the program goes on.
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

} // namespace toolkit
