// lumivex-viewer: starts the main window and runs until it is closed.
#include "toolkit/MessageBoxes.h"
#include "toolkit/TApplication.h"
#include "ui/Unit1.h"

#include <csignal>

int main(int argc, char *argv[])
{
    // A save past a file-size limit fails with a message, not the signal.
    std::signal(SIGXFSZ, SIG_IGN);
    toolkit::TApplication app(argc, argv);
    toolkit::InstallMessageHandler();
    // The ILDA colour table is built before main runs (ilda/IldaObj).
    TForm1 form;
    form.show();
    return app.exec();
}
