#include "toolkit/TApplication.h"

#include "toolkit/MessageBoxes.h"

#include <QCoreApplication>

namespace toolkit {

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        // rtl::Exception derives from std::exception and carries the
        // platform's message as what().
        HandleException(error);
    } catch (...) {
        ShowErrorBox(QStringLiteral("Unknown error"));
    }
    return false;
}

void TApplication::HandleException(const std::exception &error)
{
    ShowErrorBox(QString::fromStdString(error.what()));
}

QString TApplication::ExeDir()
{
    return QCoreApplication::applicationDirPath();
}

} // namespace toolkit
