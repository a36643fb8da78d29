#include "ScanReport.h"

#include "Arguments.h"
#include "FileAccess.h"
#include "IldaReport.h"
#include "Json.h"
#include "MeasurePool.h"
#include "Output.h"
#include "ProfileOptions.h"

#include "ilda/Reading.h"
#include "rtl/SysUtils.h"
#include "scan/Figures.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <deque>
#include <optional>
#include <thread>
#include <vector>

namespace cli {

namespace {

constexpr std::string_view kScan = "--scan";
constexpr std::string_view kScanIs = "--scan=";

// A figure with three decimals: 0.001 is as fine as the model's figures
// are worth reading, and the text and the JSON agree.
std::string Fixed(double value)
{
    if (!std::isfinite(value) || value == 0)
        value = 0; // never "-0.000", "nan" or "inf" in a report
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3).ptr;
    return {text, end};
}

// A profile's own value as the user gave it (shortest exact form).
std::string Plain(double value)
{
    char text[64];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

// The lasers' lag: one figure when they agree, else red, green, blue.
std::string Delay(const std::array<double, 3> &delay)
{
    if (delay[0] == delay[1] && delay[1] == delay[2])
        return Plain(delay[0]) + " µs";
    return "red " + Plain(delay[0]) + ", green " + Plain(delay[1]) + ", blue " + Plain(delay[2]) + " µs";
}

// --scan=NAME read as --scan --profile NAME, so that the profile is parsed
// in one place.
Args Spelled(const Args &args)
{
    Args out;
    bool options = true;
    for (const std::string &arg : args) {
        if (options && arg == "--")
            options = false;
        if (options && arg.starts_with(kScanIs)) {
            out.emplace_back(kScan);
            out.emplace_back("--profile");
            out.push_back(arg.substr(kScanIs.size()));
        } else {
            out.push_back(arg);
        }
    }
    return out;
}

struct ScanOptions {
    scan::Profile profile;
    bool json = false;
    std::vector<std::string> files;
};

std::optional<std::string> Parse(const Args &args, ScanOptions &options)
{
    std::vector<KnownOption> known = {{"--scan"}, {"--json"}, {"--summary"}, {"--check"}, {"--legacy"}};
    const auto shared = ProfileOptionTable();
    known.insert(known.end(), shared.begin(), shared.end());
    const ParsedArgs parsed = ParseArgs(Spelled(args), std::span<const KnownOption>(known));
    if (!parsed.problem.empty())
        return parsed.problem;
    for (const auto &option : parsed.options) {
        if (option.first == "--json")
            options.json = true;
        else if (option.first == "--summary" || option.first == "--check" || option.first == "--legacy")
            return "--scan makes its own report; leave out " + option.first;
    }
    auto profile = ProfileFromOptions(parsed);
    if (auto *problem = std::get_if<std::string>(&profile))
        return *problem;
    options.profile = std::get<scan::Profile>(profile);
    options.files = parsed.files;
    if (options.files.empty())
        return "ilda needs a FILE";
    return std::nullopt;
}

// The worst of each figure over a file's frames, and where it was.
struct Worst {
    double value = 0;
    std::size_t frame = 0;
    bool seen = false;

    void Take(double candidate, std::size_t index, bool lowest)
    {
        if (!seen || (lowest ? candidate < value : candidate > value)) {
            value = candidate;
            frame = index;
            seen = true;
        }
    }
};

// Measures each frame as it is read and writes its line, or its part of
// the JSON document.
class ScanWriter : public ilda::ReadHandler {
public:
    ScanWriter(Output &out, const std::string &name, const scan::Profile &profile, bool json)
        : out_(out), name_(name), profile_(profile), json_(json)
    {
    }

    void Begin()
    {
        const scan::Profile &p = profile_;
        if (json_) {
            out_ << "{\"file\": " << JsonString(name_) << ", \"profile\": {\"name\": " << JsonString(p.name)
                 << ", \"rate\": " << Plain(p.rate) << ", \"cutoff\": " << Plain(p.cutoff)
                 << ", \"litStep\": " << Plain(p.litStep) << ", \"blankStep\": " << Plain(p.blankStep)
                 << ", \"tolerance\": " << Plain(p.tolerance) << ", \"colorDelay\": [" << Plain(p.colorDelay[0]) << ", "
                 << Plain(p.colorDelay[1]) << ", " << Plain(p.colorDelay[2]) << "]}, \"frames\": [";
            return;
        }
        out_ << name_ << ": scanner " << p.name << ": " << Plain(p.rate) << " points/s, cutoff " << Plain(p.cutoff)
             << " Hz, lit step " << Plain(p.litStep) << " %, blanked step " << Plain(p.blankStep) << " %, tolerance "
             << Plain(p.tolerance) << " %";
        if (p.colorDelay != std::array<double, 3>{0, 0, 0})
            out_ << ", colour delay " << Delay(p.colorDelay);
        out_ << "\n";
    }

    // Frames are measured on threads of their own while the reading goes
    // on, a few at a time; their lines come out in the frames' order.
    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point> points) override
    {
        pool_.Submit(frame.index, points);
        pending_.push_back(frame.index);
        while (pending_.size() > kAtOnce)
            WriteNext();
    }

    void End()
    {
        while (!pending_.empty())
            WriteNext();
        Summary();
    }

private:
    // Frames measured at the same time: each holds a copy of its points.
    static inline const std::size_t kAtOnce = std::max(1u, std::thread::hardware_concurrency());

    void WriteNext()
    {
        const std::size_t frame = pending_.front();
        pending_.pop_front();
        Write(frame, pool_.Take(frame));
    }

    void Write(std::size_t frame, const scan::Figures &f)
    {
        const auto index = static_cast<long long>(frame);
        const auto count = static_cast<long long>(f.points);
        if (json_) {
            out_ << (frame ? ", " : "") << "{\"index\": " << index << ", \"points\": " << count
                 << ", \"ms\": " << Fixed(f.ms) << ", \"hz\": " << Fixed(f.hz)
                 << ", \"coverage\": " << Fixed(f.coverage) << ", \"stray\": " << Fixed(f.stray)
                 << ", \"strayShare\": " << Fixed(f.strayShare) << ", \"litStepMax\": " << Fixed(f.litStepMax)
                 << ", \"blankStepMax\": " << Fixed(f.blankStepMax) << "}";
        } else {
            out_ << "frame " << index << ": " << count << (count == 1 ? " point, " : " points, ") << Fixed(f.ms)
                 << " ms (" << Fixed(f.hz) << " Hz), coverage " << Fixed(f.coverage) << " %, stray " << Fixed(f.stray)
                 << " %, stray share " << Fixed(f.strayShare) << " %, lit step " << Fixed(f.litStepMax)
                 << " %, blanked step " << Fixed(f.blankStepMax) << " %\n";
        }
        ++frames_;
        points_ += f.points;
        coverage_.Take(f.coverage, frame, true);
        stray_.Take(f.stray, frame, false);
        strayShare_.Take(f.strayShare, frame, false);
        litStep_.Take(f.litStepMax, frame, false);
        blankStep_.Take(f.blankStepMax, frame, false);
    }

    void Summary()
    {
        if (json_) {
            out_ << "]}\n";
            return;
        }
        out_ << name_ << ": ";
        if (frames_ == 0) {
            out_ << "no frames\n";
            return;
        }
        const auto at = [this](const char *what, const Worst &worst, double limit) {
            out_ << what << Fixed(worst.value) << " % (frame " << static_cast<long long>(worst.frame) << ")";
            if (limit > 0 && worst.value > limit)
                out_ << ", above " << Plain(limit) << " %";
        };
        out_ << static_cast<long long>(frames_) << (frames_ == 1 ? " frame, " : " frames, ")
             << static_cast<long long>(points_) << (points_ == 1 ? " point; " : " points; ");
        at("lowest coverage ", coverage_, 0);
        at(", largest stray ", stray_, 0);
        at(", largest stray share ", strayShare_, 0);
        at(", largest lit step ", litStep_, profile_.litStep);
        at(", largest blanked step ", blankStep_, profile_.blankStep);
        out_ << "\n";
    }

    Output &out_;
    const std::string &name_;
    const scan::Profile &profile_;
    bool json_;
    std::size_t frames_ = 0;
    std::size_t points_ = 0;
    Worst coverage_, stray_, strayShare_, litStep_, blankStep_;
    MeasurePool pool_{profile_, kAtOnce};
    std::deque<std::size_t> pending_;
};

// One file; its exit status.
int ScanFile(const std::string &name, rtl::TStream &stream, const ScanOptions &options, Output &out)
{
    ScanWriter writer(out, name, options.profile, options.json);
    writer.Begin();
    const ilda::ReadOutcome outcome = ilda::Read(stream, writer);
    writer.End();
    out.Flush();
    ReportReadingProblems(name, outcome);
    return outcome.errorCount ? kExitFailed : kExitOk;
}

} // namespace

bool AsksForScan(const Args &args)
{
    for (const std::string &arg : args) {
        if (arg == "--")
            return false;
        if (arg == kScan || arg.starts_with(kScanIs))
            return true;
    }
    return false;
}

int RunIldaScan(const Args &args)
{
    ScanOptions options;
    if (const auto problem = Parse(args, options))
        return UsageError(*problem);
    int status = kExitOk;
    Output out;
    for (const std::string &name : options.files) {
        const auto stream = OpenInput(name);
        if (!stream) {
            out.Flush();
            std::fprintf(stderr, "%s\n", CantOpenMessage(name).c_str());
            status = kExitFailed;
            continue;
        }
        try {
            if (ScanFile(name, *stream, options, out) != kExitOk)
                status = kExitFailed;
        } catch (const rtl::Exception &error) {
            out.Flush();
            std::fprintf(stderr, "%s: %s\n", name.c_str(), error.what());
            status = kExitFailed;
        }
    }
    if (!out.Flush())
        return OutputFailed(errno);
    return status;
}

} // namespace cli
