// The player's figures on the large ILDA file (300 frames x 65,535 points,
// 150 MB): time to the first frame on screen, the drawing of one frame,
// the rate playback keeps, and the peak memory of it all. They run in a
// child process under GNU time, so the memory is the player's alone.
#include "Figures.h"

#include "player/FrameView.h"
#include "player/PlayerWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

namespace bench {

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Runs the event loop until done() holds; false after timeoutMs.
template <class Done> bool RunUntil(QApplication &app, Done &&done, int timeoutMs = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        app.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

} // namespace

int RunPlayerChild(const std::string &path, bool quick, int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    player::PlayerWindow window;
    window.resize(1000, 800);
    window.show();
    app.processEvents();
    player::FrameView &view = *window.View();
    int painted = 0;
    QObject::connect(&view, &player::FrameView::Painted, [&] { ++painted; });

    // From File, Open to the first frame painted.
    QElapsedTimer clock;
    clock.start();
    if (!window.OpenFile(QString::fromStdString(path)))
        return 1;
    if (!RunUntil(app, [&] { return painted > 0; }))
        return 1;
    Figure("player_first_frame_ms", double(clock.nsecsElapsed()) / 1e6, "ms");
    if (!RunUntil(app, [&] { return window.ScanDone(); }))
        return 1;
    Figure("player_scan_done_ms", double(clock.nsecsElapsed()) / 1e6, "ms");

    // One frame of 65,535 points drawn on the screen, again and again.
    std::vector<double> draws;
    for (int i = 0; i < (quick ? 10 : 60); ++i) {
        clock.restart();
        view.repaint();
        draws.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    Figure("player_draw_65535_ms", Median(draws), "ms");
    Figure("player_view_side_px", std::min(view.width(), view.height()), "px");
    if (!ScannerViewFigures(window, path, quick))
        return 1;

    // Playing at 30 frames a second: frames put on the screen per second.
    window.SetRate(30);
    window.SetLooping(true);
    std::size_t shown = 0;
    QObject::connect(&window, &player::PlayerWindow::FrameShown, [&] {
        view.repaint(); // on the screen now, as a shown window would be
        ++shown;
    });
    const double seconds = quick ? 1 : 5;
    clock.restart();
    window.SetPlaying(true);
    RunUntil(
        app, [&] { return clock.elapsed() >= seconds * 1000; }, int(seconds * 1000) + 1000);
    window.SetPlaying(false);
    Figure("player_play_fps", double(shown) / (double(clock.nsecsElapsed()) / 1e9), "frames/s");

    // Every frame once, as a user dragging through the file would: the
    // cache must keep memory flat.
    for (std::size_t i = 0; i < window.FrameCount(); ++i)
        window.ShowFrame(i);
    app.processEvents();
    return window.CurrentFrame() + 1 == window.FrameCount() ? 0 : 1;
}

bool PlayerFigures(bool quick, const TempDir &dir)
{
    const auto path = dir.Path() / "player.ild";
    WriteLargeIldaFile(path, quick ? 20 : 300, 65535);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string report = (dir.Path() / "player-time.txt").string();
    const std::string command = "/usr/bin/time -f %M -o '" + report + "' '" + self + "' --player-child '" +
                                path.string() + "'" + (quick ? " --quick" : "");
    const bool ok = RunChildFigures(command);
    std::ifstream in(report);
    double kb = 0;
    in >> kb;
    std::filesystem::remove(path);
    if (!ok || kb <= 0) {
        std::cerr << "the player's run on " << path << " failed\n";
        return false;
    }
    Figure("player_peak_rss_mb", kb / 1024.0, "MB");
    return PlayerIndexFigures(quick, dir);
}

} // namespace bench
