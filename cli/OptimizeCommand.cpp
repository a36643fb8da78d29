// optimize: every frame of ILDA files prepared for a scanner profile,
// read and written frame by frame so that memory stays flat.
#include "Arguments.h"
#include "Commands.h"
#include "FileAccess.h"
#include "OutputFiles.h"
#include "ProfileOptions.h"
#include "ProjectorOption.h"

#include "frames/Palette.h"
#include "frames/Repair.h"
#include "ilda/IldaObj.h"
#include "ilda/Reading.h"
#include "ilda/Writing.h"
#include "model/Base.h"
#include "rtl/SysUtils.h"
#include "scan/Figures.h"
#include "scan/Prepare.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <utility>
#include <variant>

namespace cli {

namespace {

// A frame the refresh floor leaves no room for: the command's arguments
// ask the impossible, so nothing is written.
class BudgetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Below this many frames a second a frame flickers to the eye.
constexpr double kSteadyHz = 30;

struct OptimizeOptions {
    scan::Profile profile;
    ProjectorStage projector;           // when set, its scanner is profile
    std::optional<std::uint8_t> format; // unset: each frame's own
    std::optional<std::string> output;
    std::optional<std::string> outputDir;
    bool force = false;
    bool parents = false;
    bool quiet = false;
    std::vector<std::string> inputs;
};

std::optional<std::string> takeProjector(const std::string &file, OptimizeOptions &options)
{
    auto stage = LoadProjector(file);
    if (const auto *problem = std::get_if<std::string>(&stage))
        return *problem;
    options.projector = std::get<ProjectorStage>(stage);
    return std::nullopt;
}

std::optional<std::string> parse(const Args &args, OptimizeOptions &options)
{
    const auto known = WithProfileOptions({{"--format", true},
                                           {"-o", true},
                                           {"--output", true},
                                           {"--output-dir", true},
                                           {"--force"},
                                           {"-f"},
                                           {"--parents"},
                                           {"--quiet"},
                                           {"-q"},
                                           {"--projector", true}});
    const ParsedArgs parsed = ParseArgs(args, std::span<const KnownOption>(known));
    if (!parsed.problem.empty())
        return parsed.problem;
    scan::ProfileChoice choice;
    for (const auto &[name, value] : parsed.options) {
        if (TakeProfileOption(name, value, choice))
            continue;
        if (name == "--format") {
            if (auto problem = TakeFrameFormat(value, options.format))
                return problem;
        } else if (name == "--output-dir") {
            options.outputDir = value;
        } else if (name == "-o" || name == "--output") {
            options.output = value;
        } else if (name == "--parents") {
            options.parents = true;
        } else if (name == "--quiet" || name == "-q") {
            options.quiet = true;
        } else if (name == "--projector") {
            if (auto problem = takeProjector(value, options))
                return problem;
        } else {
            options.force = true;
        }
    }
    const auto profile = scan::ResolveProfile(choice);
    if (const auto *problem = std::get_if<std::string>(&profile))
        return *problem;
    options.profile = std::get<scan::Profile>(profile);
    if (options.projector && AnyProfileOption(choice))
        return kProjectorOrProfile;
    if (options.projector)
        options.profile = options.projector->GetSetup().scanner;
    options.inputs = parsed.files;
    if (options.inputs.empty())
        return "optimize needs at least one FILE";
    if (options.output && options.outputDir)
        return "-o and --output-dir exclude each other";
    if (!options.output && !options.outputDir)
        return "optimize needs -o OUT or --output-dir DIR (it never writes over its input)";
    if (options.output && options.inputs.size() != 1)
        return "-o names one output, so it takes one FILE";
    for (const std::string &input : options.inputs)
        if (IsStandardInput(input) && !options.output)
            return "standard input (-) has no name to derive the output's from: give -o OUT";
    return std::nullopt;
}

std::string outputName(const std::string &input, const OptimizeOptions &options)
{
    if (options.output)
        return *options.output;
    return (std::filesystem::path(*options.outputDir) / std::filesystem::path(input).filename()).string();
}

// The figures of a file before and after: the worst frame's, and totals.
struct Summary {
    std::size_t frames = 0;
    std::size_t pointsBefore = 0, pointsAfter = 0;
    double coverageBefore = 100, coverageAfter = 100; // lowest
    double strayBefore = 0, strayAfter = 0;           // highest
    double hzBefore = 0, hzAfter = 0;                 // lowest
    // Frames below kSteadyHz once prepared, as runs of indices.
    std::vector<std::pair<std::size_t, std::size_t>> slowFrames;

    void AddSlow(std::size_t index)
    {
        if (!slowFrames.empty() && slowFrames.back().second + 1 == index)
            slowFrames.back().second = index;
        else
            slowFrames.push_back({index, index});
    }

    void Add(const scan::Figures &before, const scan::Figures &after)
    {
        auto lowest = [&](double &into, double value) { into = frames == 0 ? value : std::min(into, value); };
        lowest(hzBefore, before.hz);
        lowest(hzAfter, after.hz);
        coverageBefore = std::min(coverageBefore, before.coverage);
        coverageAfter = std::min(coverageAfter, after.coverage);
        strayBefore = std::max(strayBefore, before.stray);
        strayAfter = std::max(strayAfter, after.stray);
    }
};

// Frames the output writes in an indexed format although their colours
// came from true colour or a colour table, or were changed by a
// projector's calibration: matched to one palette.
bool Matched(const ilda::FrameInfo &frame, std::uint8_t outputFormat, const OptimizeOptions &options)
{
    return ilda::IsIndexed(outputFormat) &&
           (options.projector || !ilda::IsIndexed(frame.header.format) || frame.colorTable);
}

// A frame whose colours came from a colour table keeps them in true
// colour: the table listed one colour per point of the old frame.
std::uint8_t OutputFormat(const ilda::FrameInfo &frame, const OptimizeOptions &options)
{
    if (options.format)
        return *options.format;
    if (frame.colorTable && ilda::IsIndexed(frame.header.format))
        return ilda::Is3d(frame.header.format) ? ilda::kFormat3dTrueColor : ilda::kFormat2dTrueColor;
    return frame.header.format;
}

// The first walks: how many frames there are, and the palette that
// colour-matched frames take.
class FramePlanner : public ilda::ReadHandler {
public:
    explicit FramePlanner(const OptimizeOptions &options) : options_(options) {}

    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point> points) override
    {
        frames_ += counting_;
        if (!Matched(frame, OutputFormat(frame, options_), options_))
            return;
        matched_ = true;
        for (const ilda::Point &p : points)
            if (!p.Blanked())
                colors_.Add(p.color);
    }

    // The first walk counts; the next gathers colours.
    void Counted() { counting_ = false; }
    std::size_t Frames() const { return frames_; }
    bool AnyMatched() const { return matched_; }
    std::vector<ilda::Color> Palette() const { return colors_.BuildOrDefault(); }

private:
    const OptimizeOptions &options_;
    std::size_t frames_ = 0;
    bool counting_ = true;
    bool matched_ = false;
    frames::PaletteBuilder colors_;
};

// Reads the input's sections and writes each prepared as it comes.
class FrameOptimizer : public ilda::ReadHandler {
public:
    FrameOptimizer(rtl::TStream &out, const OptimizeOptions &options, Summary &summary, std::size_t total,
                   std::vector<ilda::Color> target)
        : writer_(out), palettes_(writer_), options_(options), summary_(summary), total_(total),
          target_(std::move(target))
    {
    }

    void OnFrame(const ilda::FrameInfo &frame, std::span<const ilda::Point> points) override
    {
        // With a projector the figures compare with the drawing as placed on it.
        std::vector<ilda::Point> placed;
        if (options_.projector)
            placed = options_.projector->Place(points);
        const std::span<const ilda::Point> drawing = options_.projector ? std::span(placed) : points;
        std::vector<ilda::Point> prepared =
            options_.projector ? options_.projector->Prepare(placed) : Prepare(frame.index, points);
        if (options_.projector)
            options_.projector->Finish(prepared);
        if (prepared.size() > 65535)
            throw rtl::Exception("frame " + std::to_string(frame.index) + " needs at least " +
                                 std::to_string(prepared.size()) +
                                 " points once prepared, more than the 65535 a frame holds");
        ilda::Header header = frame.header;
        header.format = OutputFormat(frame, options_);
        Colour(frame, header.format, prepared);
        frames::NumberFrame(header, {frame.index, total_}, {frame.index, total_}, repairs_);
        writer_.AddFrame(header, prepared);
        if (!options_.quiet)
            summary_.Add(scan::Measure(drawing, drawing, options_.profile),
                         scan::Measure(prepared, drawing, options_.profile));
        ++summary_.frames;
        if (options_.profile.rate < kSteadyHz * double(prepared.size()))
            summary_.AddSlow(frame.index);
        summary_.pointsBefore += points.size();
        summary_.pointsAfter += prepared.size();
    }

    // The reading stops at its first error; a file cut short is not
    // passed off as a whole one.
    void OnError(const ilda::Diagnostic &error) override
    {
        if (!error_)
            error_ = "byte " + std::to_string(error.offset) + ": " + error.text;
    }

    void Finish()
    {
        if (error_)
            throw rtl::Exception(*error_);
        if (summary_.frames == 0)
            throw rtl::Exception("no frame to optimise");
        writer_.AddEndMarker(frames::EndMarker(summary_.frames));
    }

    const frames::RepairCounts &Repairs() const { return repairs_; }

private:
    std::vector<ilda::Point> Prepare(std::size_t index, std::span<const ilda::Point> points) const
    {
        auto prepared = scan::PrepareWithinBudget(points, options_.profile);
        if (!prepared)
            throw BudgetError("frame " + std::to_string(index) + " " + prepared.message());
        return std::move(prepared).value();
    }

    // Indexed output keeps a frame's own indices under its own palette, or
    // matches its colours to the one palette built for the file.
    void Colour(const ilda::FrameInfo &frame, std::uint8_t format, std::vector<ilda::Point> &points)
    {
        for (ilda::Point &point : points)
            point.indexed = ilda::IsIndexed(format);
        if (!ilda::IsIndexed(format))
            return;
        if (Matched(frame, format, options_)) {
            palettes_.Use(target_);
            palettes_.Match(points, repairs_);
            return;
        }
        std::vector<ilda::Color> own(ilda::kDefaultPalette.begin(), ilda::kDefaultPalette.end());
        if (frame.palette)
            own = frame.palette->colors;
        bool changed = false;
        own = frames::ConformPalette(std::move(own), changed);
        palettes_.Use(own);
        frames::RepairIndices(points, own, repairs_);
    }

    ilda::StreamWriter writer_;
    frames::PaletteWriter palettes_;
    const OptimizeOptions &options_;
    Summary &summary_;
    std::size_t total_;
    std::vector<ilda::Color> target_;
    frames::RepairCounts repairs_;
    std::optional<std::string> error_;
};

// The prepared file, written through the saving stream as it is read: a
// failure half-way leaves whatever was at the output untouched.
class OptimizedFile : public TBaseList {
public:
    OptimizedFile(rtl::TStream &input, const OptimizeOptions &options, Summary &summary)
        : input_(input), options_(options), summary_(summary)
    {
    }

    void SaveToStream(rtl::TStream &stream) override
    {
        FramePlanner planner(options_);
        input_.SetPosition(0);
        ilda::Read(input_, planner, {.points = false, .keep = 0});
        planner.Counted();
        std::vector<ilda::Color> target;
        if (planner.AnyMatched()) {
            input_.SetPosition(0);
            ilda::Read(input_, planner, {.keep = 0});
            target = planner.Palette();
        }
        FrameOptimizer optimizer(stream, options_, summary_, planner.Frames(), std::move(target));
        input_.SetPosition(0);
        ilda::Read(input_, optimizer, {.keep = 0});
        optimizer.Finish();
        repairs_ = optimizer.Repairs();
    }

    const frames::RepairCounts &Repairs() const { return repairs_; }

private:
    rtl::TStream &input_;
    const OptimizeOptions &options_;
    Summary &summary_;
    frames::RepairCounts repairs_;
};

// Frames that flicker without a floor are told once, with the way out.
void TellSlowFrames(const std::string &input, const Summary &summary, const OptimizeOptions &options)
{
    if (summary.slowFrames.empty() || options.profile.PointBudget())
        return;
    std::string frames;
    for (const auto &[first, last] : summary.slowFrames)
        frames += (frames.empty() ? "" : ",") + std::to_string(first) +
                  (last > first ? "-" + std::to_string(last) : std::string());
    const bool one = summary.slowFrames.size() == 1 && summary.slowFrames[0].first == summary.slowFrames[0].second;
    std::fprintf(stderr, "%s: frame%s %s below %.0f a second once prepared (lowest %.1f); --min-hz %.0f sets a floor\n",
                 input.c_str(), one ? "" : "s", frames.c_str(), kSteadyHz, summary.hzAfter, kSteadyHz);
}

int optimizeOne(const std::string &input, const OptimizeOptions &options, std::set<std::string> &written)
{
    const std::string output = outputName(input, options);
    if (const auto problem = OutputProblem(input, output, options.force, written)) {
        std::fprintf(stderr, "%s: %s\n", input.c_str(), problem->c_str());
        return kExitFailed;
    }
    auto opened = OpenSource(input);
    if (!opened) {
        std::fprintf(stderr, "%s\n", opened.message().c_str());
        return kExitFailed;
    }
    const std::unique_ptr<rtl::TStream> stream = std::move(opened).value();
    const std::string target = output == "-" ? "/dev/stdout" : output;
    const bool toStdout = IsStandardOutput(target);
    Summary summary;
    OptimizedFile file(*stream, options, summary);
    try {
        file.SaveToFile(target, output == "-" ? "standard output" : output, ExistingRule(output, options.force));
    } catch (const BudgetError &error) {
        std::fprintf(stderr, "%s: %s; not optimised.\n", input.c_str(), error.what());
        return kExitUsage;
    } catch (const rtl::EFileExistsError &error) {
        std::fprintf(stderr, "%s: %s%s\n", input.c_str(), error.what(), kUseForce);
        return kExitFailed;
    } catch (const rtl::EFCreateError &error) {
        std::fprintf(stderr, "%s: %s; not optimised.\n", input.c_str(), CreateFailureText(error, output).c_str());
        return kExitFailed;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s: %s; not optimised.\n", input.c_str(), error.what());
        return kExitFailed;
    }
    written.insert(OutputKey(output));
    if (options.quiet)
        return kExitOk;
    TellSlowFrames(input, summary, options);
    for (const std::string &line : frames::RepairLines(file.Repairs()))
        std::fprintf(stderr, "%s: %s\n", input.c_str(), line.c_str());
    std::fprintf(toStdout ? stderr : stdout,
                 "%s -> %s (%s): %zu frame%s, %zu -> %zu points, lowest refresh %.1f -> %.1f Hz, "
                 "lowest coverage %.3f -> %.3f %%, largest stray %.3f -> %.3f %%\n",
                 input.c_str(), output.c_str(), options.profile.name.c_str(), summary.frames,
                 summary.frames == 1 ? "" : "s", summary.pointsBefore, summary.pointsAfter, summary.hzBefore,
                 summary.hzAfter, summary.coverageBefore, summary.coverageAfter, summary.strayBefore,
                 summary.strayAfter);
    return kExitOk;
}

} // namespace

int RunOptimize(const Args &args)
{
    OptimizeOptions options;
    if (const auto problem = parse(args, options))
        return UsageError(*problem);
    if (const auto problem = PrepareOutputDir(options.outputDir, options.parents)) {
        std::fprintf(stderr, "lumivex: %s.\n", problem->c_str());
        return kExitFailed;
    }
    int status = kExitOk;
    std::set<std::string> written;
    for (const std::string &input : options.inputs)
        status = std::max(status, optimizeOne(input, options, written));
    std::fflush(stdout);
    return status;
}

} // namespace cli
