// lumivex-player: the window, or --render without any display.
#include "player/PlayerArguments.h"
#include "player/PlayerWindow.h"
#include "player/RenderCommand.h"
#include "startup/Startup.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char kProgram[] = "lumivex-player";

std::vector<std::string> WordsAfterName(int argc, char **argv)
{
    return {argv + std::min(argc, 1), argv + argc};
}

// A render reports its own failures in one line; Qt's notes about the
// session (no runtime folder and the like) would only add noise there.
void QuietQtNotes(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    startup::Begin();
    // Help, version, --render and wrong words are decided before any
    // application object, since those need no display; only Qt's own options
    // wait for it to take them out.
    const std::vector<std::string> words = WordsAfterName(argc, argv);
    const player::Arguments early = player::ParseArguments(words);
    switch (early.action) {
    case player::Arguments::Action::Help: std::fputs(player::UsageText().c_str(), stdout); return 0;
    case player::Arguments::Action::Version: std::fputs(player::VersionText().c_str(), stdout); return 0;
    case player::Arguments::Action::Render: {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(QuietQtNotes);
        QGuiApplication app(argc, argv);
        const player::RenderResult result =
            early.allFrames
                ? player::RenderAllFrames(early.file, early.size, early.output, isatty(STDERR_FILENO))
                : player::RenderFrameToPng(early.file, early.frame, early.size, early.output, early.profile);
        if (result.exitCode != 0)
            std::fprintf(stderr, "lumivex-player: %s\n", result.message.c_str());
        return result.exitCode;
    }
    case player::Arguments::Action::Error:
        if (!startup::IsToolkitOption(early.unknownOption))
            return startup::UsageError(kProgram, early.problem);
        break; // judged again once the application has taken its own options out
    case player::Arguments::Action::Run: break;
    }

    QApplication app(argc, argv);
    const player::Arguments arguments = player::ParseArguments(WordsAfterName(argc, argv));
    if (arguments.action != player::Arguments::Action::Run)
        return startup::UsageError(kProgram, arguments.action == player::Arguments::Action::Error
                                                 ? arguments.problem
                                                 : "--render, --help and --version go before Qt's own options");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lumivex-player.svg")));
    player::PlayerWindow window;
    window.show();
    if (!arguments.file.empty()) {
        // The name's bytes as given: it need not be UTF-8.
        const std::string file = arguments.file;
        QTimer::singleShot(0, &window, [&window, file] { window.OpenPath(file); });
    }
    return app.exec();
}
