#include "svgin/GuiApplication.h"

#include <QGuiApplication>

#include <cstdlib>

namespace svgin {

bool EnsureGuiApplication()
{
    if (QCoreApplication::instance())
        return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "lumivex";
    static char *argv[] = {name, nullptr};
    // Kept to the end of the process: Qt wants it alive while painting.
    static QGuiApplication *application = new QGuiApplication(argc, argv);
    // Ended before Qt's own statics go (they were made first): its font
    // database lets go of what it holds.
    static const int ended = std::atexit([] { delete application; });
    return application != nullptr && ended == 0;
}

} // namespace svgin
