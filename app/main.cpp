// lumivex-viewer: starts the main window and runs until it is closed.
#include "ViewerArguments.h"

#include "startup/Startup.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/TApplication.h"
#include "ui/Unit1.h"

#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> wordsAfterName(int argc, char **argv)
{
    return {argv + std::min(argc, 1), argv + argc};
}

} // namespace

int main(int argc, char *argv[])
{
    startup::Begin();
    // Help, version and wrong words need no display, so they come before the
    // application; only Qt's own options wait for it to take them out.
    const viewer::Arguments early = viewer::ParseArguments(wordsAfterName(argc, argv));
    if (early.action == viewer::Arguments::Action::Help) {
        std::fputs(viewer::UsageText().c_str(), stdout);
        return 0;
    }
    if (early.action == viewer::Arguments::Action::Version) {
        std::fputs(viewer::VersionText().c_str(), stdout);
        return 0;
    }
    if (early.action == viewer::Arguments::Action::Error && !startup::IsToolkitOption(early.unknownOption))
        return startup::UsageError("lumivex-viewer", early.problem);

    toolkit::TApplication app(argc, argv);
    // The application has taken its own options (-platform and the like) out.
    const viewer::Arguments arguments = viewer::ParseArguments(wordsAfterName(argc, argv));
    if (arguments.action == viewer::Arguments::Action::Error)
        return startup::UsageError("lumivex-viewer", arguments.problem);
    toolkit::InstallMessageHandler();
    // The ILDA colour table is built before main runs (ilda/IldaObj).
    TForm1 form;
    form.show();
    if (!arguments.file.empty()) {
        const QString file = QString::fromLocal8Bit(arguments.file.c_str());
        // Once the loop runs, so the window is up and errors show as for File, Open.
        QTimer::singleShot(0, &form, [&form, file] { toolkit::RunHandler([&] { form.OpenFile(file); }); });
    }
    return app.exec();
}
