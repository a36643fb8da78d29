// The window figures: File, Open on a huge file in the real TForm1,
// offscreen, with the open dialog answered by the program.
#include "Figures.h"

#include "lumivex/HexDump.h"
#include "toolkit/Dialogs.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/TApplication.h"
#include "toolkit/TTextPane.h"
#include "ui/Unit1.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace bench {

namespace {

// Peak resident memory of this process so far, in MB.
double peakRssMb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Runs the event loop until what was posted before has been handled: the
// moment the window would answer a key or a click.
void untilAnswering(QApplication &app)
{
    bool answered = false;
    QTimer::singleShot(0, [&] { answered = true; });
    while (!answered)
        app.processEvents(QEventLoop::AllEvents);
}

std::string expectedLastHexLine(const std::string &path)
{
    const std::uint64_t size = std::filesystem::file_size(path);
    const std::uint64_t last = (lumivex::HexLineCount(size) - 1) * lumivex::kHexLineBytes;
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(last));
    std::uint8_t bytes[lumivex::kHexLineBytes];
    in.read(reinterpret_cast<char *>(bytes), sizeof bytes);
    return lumivex::HexLine(last, {bytes, static_cast<std::size_t>(in.gcount())});
}

} // namespace

int RunViewerChild(const std::string &path, const std::string &prefix, int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    toolkit::TApplication app(argc, argv);
    toolkit::InstallMessageHandler();
    toolkit::SetMessageBoxHook([](const toolkit::TShownMessage &shown) {
        std::cerr << "message: " << shown.text.toStdString() << '\n';
    });
    const QString file = QString::fromStdString(path);
    QDir::setCurrent(QFileInfo(file).absolutePath());
    toolkit::SetFileDialogHook([&](const toolkit::TFileDialogRequest &) { return std::optional<QString>(file); });

    TForm1 form;
    form.Timer1->stop();
    form.show();
    untilAnswering(app);
    toolkit::TTextPane &pane = *form.ui.Rich;

    QElapsedTimer clock;
    clock.start();
    form.Open1Click(&form);
    pane.viewport()->repaint(); // the first lines on the screen
    untilAnswering(app);
    Figure(prefix + "_ms", double(clock.nsecsElapsed()) / 1e6, "ms");

    const bool text = !toolkit::TTextPane::ConversionFor(file);
    if (text) {
        while (pane.Loading())
            app.processEvents(QEventLoop::AllEvents);
        Figure(prefix + "_indexed_ms", double(clock.nsecsElapsed()) / 1e6, "ms");
    }

    clock.restart();
    pane.ScrollToLine(UINT64_MAX);
    pane.viewport()->repaint();
    untilAnswering(app);
    Figure(prefix + "_scroll_end_ms", double(clock.nsecsElapsed()) / 1e6, "ms");
    Figure(prefix + "_peak_rss_mb", peakRssMb(), "MB");

    const std::uint64_t count = pane.LineCount();
    const bool lastShown = count > 0 && pane.TopLine() + pane.VisibleLines() == count;
    if (!lastShown || (!text && pane.Line(count - 1) != expectedLastHexLine(path))) {
        std::cerr << "the last line is not the file's last line\n";
        return 1;
    }
    return 0;
}

bool ViewerFigures(bool quick, const TempDir &dir)
{
    const std::uint64_t huge = quick ? std::uint64_t{64} << 20 : std::uint64_t{1} << 30;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    struct Run {
        const char *name;
        std::uint64_t size;
        bool text;
        const char *prefix;
    };
    // .bin is one of the window's hex-dump extensions; .log is not, so it
    // shows as plain text. The 1 MiB file is the largest the pane still
    // converts in one go, with the progress texts.
    const Run runs[] = {{"open.bin", huge, false, "viewer_open_1gib"},
                        {"open.log", huge, true, "viewer_open_1gib_text"},
                        {"small.bin", std::uint64_t{1} << 20, false, "viewer_open_1mib"}};
    bool ok = true;
    for (const Run &run : runs) {
        const std::filesystem::path path = dir.Path() / run.name;
        WriteGeneratedFile(path, run.size, run.text);
        const std::string command = "'" + self + "' --viewer-child '" + path.string() + "' " + run.prefix;
        ok = RunChildFigures(command) && ok;
        std::filesystem::remove(path);
    }
    return ok;
}

} // namespace bench
