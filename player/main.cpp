// lumivex-player: the window, or --render without any display.
#include "player/PlayerArguments.h"
#include "player/PlayerWindow.h"
#include "player/RenderCommand.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> WordsAfterName(int argc, char **argv)
{
    return {argv + std::min(argc, 1), argv + argc};
}

// Qt takes options of one dash (-platform, -style, ...) out of the words
// when the application starts; only then can such a word be judged.
bool MayBeQtOption(const std::vector<std::string> &words)
{
    return std::any_of(words.begin(), words.end(), [](const std::string &word) {
        return word.size() > 1 && word[0] == '-' && word[1] != '-' && word != "-o" && word != "-h";
    });
}

int WrongArguments(const std::string &problem)
{
    std::fprintf(stderr, "lumivex-player: %s; try 'lumivex-player --help'.\n", problem.c_str());
    return 2;
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
    // Help, version and --render are decided before any application object,
    // since those need no display.
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
            player::RenderFrameToPng(early.file, early.frame, early.size, early.output, early.profile);
        if (result.exitCode != 0)
            std::fprintf(stderr, "lumivex-player: %s\n", result.message.c_str());
        return result.exitCode;
    }
    case player::Arguments::Action::Error:
        if (!MayBeQtOption(words))
            return WrongArguments(early.problem);
        break; // judged again once the application has taken its own options out
    case player::Arguments::Action::Run: break;
    }

    QApplication app(argc, argv);
    const player::Arguments arguments = player::ParseArguments(WordsAfterName(argc, argv));
    if (arguments.action != player::Arguments::Action::Run)
        return WrongArguments(arguments.action == player::Arguments::Action::Error
                                  ? arguments.problem
                                  : "--render, --help and --version go before Qt's own options");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lumivex-player.svg")));
    player::PlayerWindow window;
    window.show();
    if (!arguments.file.empty()) {
        const QString file = QString::fromLocal8Bit(arguments.file.c_str());
        QTimer::singleShot(0, &window, [&window, file] { window.OpenFile(file); });
    }
    return app.exec();
}
