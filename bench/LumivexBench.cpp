// lumivex-bench: the figures the project tracks, one line each, "name value
// unit". --quick uses small sizes (for CI); --no-viewer leaves out the windows
// (the viewer's and the player's), --player-only takes the player's alone,
// --optimize-only the optimiser's;
// --write-ilda FILE only writes the large ILDA file of the figures.
#include "Figures.h"
#include "Workloads.h"

#include "lumivex/HexDump.h"
#include "lumivex/PointFile.h"
#include "rtl/Classes.h"
#include "rtl/Messages.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// The fastest of runs: the one least disturbed by the rest of the machine.
template <class F> double bestOf(int runs, F &&work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, seconds(Clock::now() - start));
    }
    return best;
}

void hexdumpFigure(bool quick)
{
    const auto block = bench::RandomBytes(1 << 20);
    std::vector<char> out(lumivex::HexDumpCapacity(block.size()));
    const int blocks = quick ? 32 : 512;
    std::size_t sink = 0;
    const double t = bestOf(3, [&] {
        for (int b = 0; b < blocks; ++b)
            sink += lumivex::FormatHexLines(std::uint64_t(b) << 20, block, out.data());
    });
    if (sink == 0)
        std::cerr << "hex dump produced nothing\n";
    bench::Figure("hexdump_mib_s", blocks / t, "MiB/s");
}

void pointFileFigure(bool quick)
{
    const auto bytes = bench::PointFileBytes(2000);
    const int runs = quick ? 200 : 2000;
    std::size_t sink = 0;
    const double t = bestOf(3, [&] {
        for (int i = 0; i < runs; ++i)
            sink += lumivex::DecodePointFile(bytes).listing.size();
    });
    if (sink == 0)
        std::cerr << "point file decoded to nothing\n";
    bench::Figure("pointfile_decode_us", t / runs * 1e6, "us");
}

// False when the round trip lost anything.
bool ildaFigures(bool quick, const bench::TempDir &dir)
{
    const int frames = quick ? 200 : 2000;
    const int points = 1000;
    const double count = double(frames) * points;
    const std::string path = (dir.Path() / "bench.ild").string();
    const auto model = bench::MakeIldaFile(frames, points);

    const double write = bestOf(3, [&] {
        rtl::TFileStream stream(path, rtl::TFileMode::Create);
        model->SaveToStream(stream);
        stream.Close();
    });
    rtl::MessageRecorder messages;
    int loaded = 0;
    const double read = bestOf(3, [&] {
        rtl::TFileStream stream(path, rtl::TFileMode::OpenRead);
        TIldaFile file;
        file.LoadFromStream(stream);
        loaded = file.Count();
    });
    std::vector<bench::FlatPoint> flat;
    std::size_t decoded = 0;
    const double bare = bestOf(3, [&] { decoded = bench::DecodeIldaFlat(bench::ReadWholeFile(path), flat); });
    if (loaded != frames || decoded != std::size_t(count) || !messages.Messages().empty()) {
        std::cerr << "ILDA round trip lost data: " << loaded << " frames, " << decoded << " points\n";
        return false;
    }

    bench::Figure("ilda_write_mpts", count / write / 1e6, "Mpts/s");
    bench::Figure("ilda_read_mpts", count / read / 1e6, "Mpts/s");
    bench::Figure("ilda_bare_decode_mpts", count / bare / 1e6, "Mpts/s");
    bench::Figure("ilda_read_vs_bare_ratio", read / bare, "x");
    return true;
}

} // namespace

void bench::Figure(const std::string &name, double value, const std::string &unit)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", value);
    std::cout << name << ' ' << text << ' ' << unit << std::endl;
}

bool bench::RunChildFigures(const std::string &command)
{
    std::FILE *child = ::popen(command.c_str(), "r");
    if (!child)
        return false;
    char line[256];
    while (std::fgets(line, sizeof line, child))
        std::cout << line << std::flush;
    return ::pclose(child) == 0;
}

int main(int argc, char **argv)
{
    bool quick = false;
    bool viewer = true;
    bool playerOnly = false;
    bool optimizeOnly = false;
    bool liveOnly = false;
    bool textOnly = false;
    bool projectorOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            quick = true;
        } else if (arg == "--no-viewer") {
            viewer = false;
        } else if (arg == "--player-only") {
            playerOnly = true;
        } else if (arg == "--optimize-only") {
            optimizeOnly = true;
        } else if (arg == "--live-only") {
            liveOnly = true;
        } else if (arg == "--text-only") {
            textOnly = true;
        } else if (arg == "--projector-only") {
            projectorOnly = true;
        } else if (arg == "--write-ilda" && i + 1 < argc) {
            // The large file of the figures, for bench/compare.sh.
            bench::WriteLargeIldaFile(argv[i + 1], 300, 65535);
            return 0;
        } else if (arg == "--player-child" && i + 1 < argc) {
            const bool childQuick = i + 2 < argc && std::string(argv[i + 2]) == "--quick";
            return bench::RunPlayerChild(argv[i + 1], childQuick, argc, argv);
        } else if (arg == "--player-index-child" && i + 2 < argc) {
            return bench::RunPlayerIndexChild(argv[i + 1], argv[i + 2], argc, argv);
        } else if (arg == "--viewer-child" && i + 2 < argc) {
            return bench::RunViewerChild(argv[i + 1], argv[i + 2], argc, argv);
        } else {
            std::cerr << "usage: lumivex-bench [--quick] [--no-viewer | --player-only | --optimize-only | --live-only "
                         "| --text-only | --projector-only] | "
                         "--write-ilda FILE\n";
            return 2;
        }
    }
    try {
        bench::TempDir dir;
        if (playerOnly)
            return bench::PlayerFigures(quick, dir) ? 0 : 1;
        if (optimizeOnly)
            return bench::OptimizerFigures(quick) && bench::DelayFigures(quick) ? 0 : 1;
        if (liveOnly)
            return bench::LiveOutputFigures(quick) ? 0 : 1;
        if (textOnly)
            return bench::TextFigures(quick, dir) ? 0 : 1;
        if (projectorOnly)
            return bench::ProjectorFigures(quick) ? 0 : 1;
        hexdumpFigure(quick);
        pointFileFigure(quick);
        const bool ilda = ildaFigures(quick, dir) && bench::StandardIldaFigures(quick, dir);
        const bool optimizer = bench::OptimizerFigures(quick) && bench::DelayFigures(quick);
        const bool window = !viewer || (bench::ViewerFigures(quick, dir) && bench::PlayerFigures(quick, dir));
        const bool live = bench::LiveOutputFigures(quick);
        const bool text = bench::TextFigures(quick, dir);
        const bool projector = bench::ProjectorFigures(quick);
        if (!ilda || !optimizer || !window || !live || !text || !projector)
            return 1;
    } catch (const std::exception &error) {
        std::cerr << "lumivex-bench: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
