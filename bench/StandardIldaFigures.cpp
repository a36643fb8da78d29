// The standard ILDA reading on a large file (300 frames of 65,535 points,
// 150 MB): decoding speed and the header walk in this process, then
// `lumivex ilda` in its views as whole processes, with their peak memory.
#include "Figures.h"

#include "ilda/Reading.h"
#include "rtl/Classes.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

class CountPoints : public ilda::ReadHandler {
public:
    void OnFrame(const ilda::FrameInfo &, std::span<const ilda::Point> points) override
    {
        count += points.size();
        for (const ilda::Point &p : points)
            sink += p.color + static_cast<std::uint32_t>(p.x);
    }
    std::size_t count = 0;
    std::uint32_t sink = 0;
};

struct Run {
    double seconds = 0;
    double peakMb = 0;
    int exitCode = -1;
};

// Runs program with args, its output thrown away; its time and peak memory.
// GNU time measures the memory: a child of this large process would count
// this process's pages as its own.
Run RunProcess(const std::string &program, const std::vector<std::string> &args, const std::string &report)
{
    std::vector<std::string> words{"/usr/bin/time", "-f", "%M", "-o", report, program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    Run run;
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid) {
            run.seconds = Seconds(Clock::now() - start);
            run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            std::ifstream in(report);
            double kb = 0;
            in >> kb;
            run.peakMb = kb / 1024.0;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

// `lumivex convert` from format 4 to format 5 on a 150 MB file (230
// frames of 65,535 points; made by convert from the format 0 file).
bool ConvertFigures(const std::string &lumivex, const std::filesystem::path &large, bool quick, const TempDir &dir)
{
    const auto in = dir.Path() / "large4.ild", out = dir.Path() / "large5.ild";
    const std::string report = (dir.Path() / "time.txt").string();
    const Run made = RunProcess(
        lumivex, {"convert", "--quiet", "--format", "4", "--frames", "0-229", large.string(), "-o", in.string()},
        report);
    Run best;
    best.seconds = 1e300;
    for (int i = 0; made.exitCode == 0 && i < (quick ? 1 : 3); ++i) {
        const Run run = RunProcess(
            lumivex, {"convert", "--quiet", "--force", "--format", "5", in.string(), "-o", out.string()}, report);
        if (run.exitCode != 0) {
            best.exitCode = run.exitCode;
            break;
        }
        best = {std::min(best.seconds, run.seconds), std::max(best.peakMb, run.peakMb), 0};
    }
    if (best.exitCode != 0) {
        std::cerr << lumivex << " convert ended with " << (made.exitCode != 0 ? made.exitCode : best.exitCode) << "\n";
        return false;
    }
    Figure("convert_4to5_mb", double(std::filesystem::file_size(in)) / 1e6, "MB");
    Figure("convert_4to5_process_s", best.seconds, "s");
    Figure("convert_4to5_peak_rss_mb", best.peakMb, "MB");
    return true;
}

} // namespace

std::string LumivexProgram()
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path() / "lumivex").string();
}

bool StandardIldaFigures(bool quick, const TempDir &dir)
{
    const int frames = quick ? 20 : 300;
    const int points = 65535;
    const auto path = dir.Path() / "large.ild";
    WriteLargeIldaFile(path, frames, points);
    const double total = double(frames) * points;

    double decode = 1e300, walk = 1e300;
    bool right = true;
    for (int i = 0; i < 3; ++i) {
        rtl::TFileStream stream(path.string(), rtl::TFileMode::OpenRead);
        CountPoints counter;
        auto start = Clock::now();
        const auto outcome = ilda::Read(stream, counter);
        decode = std::min(decode, Seconds(Clock::now() - start));
        right = right && counter.count == std::size_t(total) && outcome.Conforms();

        rtl::TFileStream again(path.string(), rtl::TFileMode::OpenRead);
        ilda::ReadHandler nothing;
        start = Clock::now();
        const auto headers = ilda::Read(again, nothing, {.points = false});
        walk = std::min(walk, Seconds(Clock::now() - start));
        right = right && headers.frameCount == std::size_t(frames);
    }
    if (!right) {
        std::cerr << "the standard reading did not find the " << total << " points it should\n";
        return false;
    }
    Figure("ilda_std_decode_mpts", total / decode / 1e6, "Mpts/s");
    Figure("ilda_std_summary_ms", walk * 1e3, "ms");

    const std::string lumivex = LumivexProgram();
    const struct {
        const char *name;
        std::vector<std::string> options;
    } views[] = {{"summary", {"--summary"}}, {"check", {"--check"}}, {"json", {"--json"}}, {"listing", {}}};
    for (const auto &view : views) {
        Run best;
        best.seconds = 1e300;
        for (int i = 0; i < (quick ? 1 : 3); ++i) {
            auto args = view.options;
            args.insert(args.begin(), "ilda");
            args.push_back(path.string());
            const Run run = RunProcess(lumivex, args, (dir.Path() / "time.txt").string());
            if (run.exitCode != 0 || run.peakMb <= 0) {
                std::cerr << "/usr/bin/time " << lumivex << " ilda (" << view.name << ") ended with " << run.exitCode
                          << "\n";
                return false;
            }
            best.seconds = std::min(best.seconds, run.seconds);
            best.peakMb = std::max(best.peakMb, run.peakMb);
        }
        Figure(std::string("ilda_std_") + view.name + "_process_s", best.seconds, "s");
        Figure(std::string("ilda_std_") + view.name + "_peak_rss_mb", best.peakMb, "MB");
    }
    return ConvertFigures(lumivex, path, quick, dir);
}

} // namespace bench
