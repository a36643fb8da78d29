// The player on files of very many small sections: the peak memory on
// millions of one-point frames (the frame index must stay bounded), the
// time to show the last of them, and how long closing the window takes
// while such a file, or a long run of palettes, is still being read.
#include "Figures.h"

#include "player/PlayerWindow.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <thread>

namespace bench {

namespace {

void PutHeader(std::vector<std::uint8_t> &out, std::uint8_t format, std::uint16_t records, std::uint16_t number)
{
    const std::uint8_t header[32] = {'I',
                                     'L',
                                     'D',
                                     'A',
                                     0,
                                     0,
                                     0,
                                     format,
                                     'd',
                                     'o',
                                     't',
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     'b',
                                     'e',
                                     'n',
                                     'c',
                                     'h',
                                     0,
                                     0,
                                     0,
                                     std::uint8_t(records >> 8),
                                     std::uint8_t(records),
                                     std::uint8_t(number >> 8),
                                     std::uint8_t(number),
                                     0,
                                     0,
                                     0,
                                     0};
    out.insert(out.end(), header, header + 32);
}

// frames one-point frames of format 5, then the end marker.
void WriteDotFrames(const std::filesystem::path &path, std::size_t frames)
{
    std::ofstream file(path, std::ios::binary);
    std::vector<std::uint8_t> block;
    for (std::size_t i = 0; i < frames; ++i) {
        PutHeader(block, 5, 1, std::uint16_t(i));
        const std::uint8_t record[8] = {std::uint8_t(i), 0, std::uint8_t(i >> 8), 0, 0x80, 255, 255, 255};
        block.insert(block.end(), record, record + 8);
        if (block.size() >= (1 << 20) || i + 1 == frames) {
            file.write(reinterpret_cast<const char *>(block.data()), std::streamsize(block.size()));
            block.clear();
        }
    }
    PutHeader(block, 0, 0, 0);
    file.write(reinterpret_cast<const char *>(block.data()), std::streamsize(block.size()));
}

// sections palettes of 65,535 colours each, one frame, the end marker.
void WritePaletteRun(const std::filesystem::path &path, std::size_t sections)
{
    std::ofstream file(path, std::ios::binary);
    std::vector<std::uint8_t> section;
    PutHeader(section, 2, 65535, 0);
    section.resize(section.size() + 65535 * 3, 0x7F);
    for (std::size_t i = 0; i < sections; ++i)
        file.write(reinterpret_cast<const char *>(section.data()), std::streamsize(section.size()));
    std::vector<std::uint8_t> tail;
    PutHeader(tail, 1, 1, 0);
    const std::uint8_t record[6] = {0, 0, 0, 0, 0x80, 1};
    tail.insert(tail.end(), record, record + 6);
    PutHeader(tail, 0, 0, 0);
    file.write(reinterpret_cast<const char *>(tail.data()), std::streamsize(tail.size()));
}

template <class Done> bool RunUntil(QApplication &app, Done &&done, int timeoutMs = 120000)
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

// Opens path, lets it be read for a while, and times closing the window.
double CloseWhileReadingMs(QApplication &app, const std::string &path)
{
    auto window = std::make_unique<player::PlayerWindow>();
    window->show();
    if (!window->OpenFile(QString::fromStdString(path)))
        return -1;
    QElapsedTimer wait;
    wait.start();
    RunUntil(app, [&] { return wait.elapsed() > 300; });
    QElapsedTimer clock;
    clock.start();
    window->close();
    window.reset();
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int RunPlayerIndexChild(const std::string &dots, const std::string &palettes, int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    {
        player::PlayerWindow window;
        window.show();
        QElapsedTimer clock;
        clock.start();
        if (!window.OpenFile(QString::fromStdString(dots)) || !RunUntil(app, [&] { return window.ScanDone(); }))
            return 1;
        Figure("player_dots_scan_done_ms", double(clock.nsecsElapsed()) / 1e6, "ms");
        Figure("player_dots_frames", double(window.FrameCount()), "frames");
        clock.restart();
        window.ShowFrame(window.FrameCount() - 1);
        window.ShowFrame(window.FrameCount() / 2);
        Figure("player_dots_jump_ms", double(clock.nsecsElapsed()) / 2e6, "ms");
        if (window.CurrentFrame() != window.FrameCount() / 2)
            return 1;
    }
    Figure("player_close_reading_dots_ms", CloseWhileReadingMs(app, dots), "ms");
    Figure("player_close_reading_palettes_ms", CloseWhileReadingMs(app, palettes), "ms");
    return 0;
}

bool PlayerIndexFigures(bool quick, const TempDir &dir)
{
    const auto dots = dir.Path() / "dots.ild";
    const auto palettes = dir.Path() / "palettes.ild";
    const std::size_t frames = quick ? 500000 : 8000000; // 20 MB or 320 MB
    WriteDotFrames(dots, frames);
    WritePaletteRun(palettes, quick ? 100 : 2500); // 20 MB or 490 MB
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string report = (dir.Path() / "player-index-time.txt").string();
    const std::string command = "/usr/bin/time -f %M -o '" + report + "' '" + self + "' --player-index-child '" +
                                dots.string() + "' '" + palettes.string() + "'";
    const bool ok = RunChildFigures(command);
    std::ifstream in(report);
    double kb = 0;
    in >> kb;
    std::filesystem::remove(dots);
    std::filesystem::remove(palettes);
    if (!ok || kb <= 0) {
        std::cerr << "the player's run on " << dots << " failed\n";
        return false;
    }
    Figure("player_dots_peak_rss_mb", kb / 1024.0, "MB");
    return true;
}

} // namespace bench
