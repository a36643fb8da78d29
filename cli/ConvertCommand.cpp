// convert: point files, ILDA files and SVG drawings into ILDA files. A point
// file without the pipeline's options keeps the bytes of File, Save; every
// other input goes through the frame pipeline (ConvertPipeline.*).
#include "Arguments.h"
#include "ColorOption.h"
#include "Commands.h"
#include "ConvertOptions.h"
#include "ConvertPipeline.h"
#include "FileAccess.h"
#include "OutputFiles.h"
#include "ProfileOptions.h"

#include "ilda/Codec.h"
#include "lumivex/Colors.h"
#include "lumivex/Export.h"
#include "rtl/SaveFile.h"
#include "rtl/SysUtils.h"

#include <algorithm>
#include <exception>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <variant>

namespace cli {

namespace {

constexpr const char *kSwatchOnly =
    "formats 0 and 1 carry only the nine swatch colours; use --format 4 or 5 for any other colour";

// "A" or "A,B" as two numbers; one alone serves both when both is true.
std::optional<std::pair<double, double>> NumberPair(const std::string &text, bool both)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) {
        const auto one = startup::ParseReal(text);
        if (!one || !both)
            return std::nullopt;
        return std::pair{*one, *one};
    }
    const auto a = startup::ParseReal(text.substr(0, comma)), b = startup::ParseReal(text.substr(comma + 1));
    if (!a || !b)
        return std::nullopt;
    return std::pair{*a, *b};
}

// The pipeline's own options; a problem comes back as its text.
std::optional<std::string> parsePipelineOption(const std::string &name, const std::string &value,
                                               ConvertOptions &options, scan::ProfileChoice &profile,
                                               bool &profileGiven)
{
    frames::TransformOptions &t = options.transform;
    if (name == "--palette") {
        if (value != "default" && value != "auto")
            return "--palette takes default or auto, not " + value;
        options.palette = value == "auto" ? PaletteChoice::Auto : PaletteChoice::Default;
    } else if (name == "--frames") {
        auto list = frames::FrameList::Parse(value);
        if (!list)
            return list.message();
        options.frameList = *list;
        options.framesGiven = true;
    } else if (name == "--rotate") {
        const auto degrees = startup::ParseReal(value);
        if (!degrees)
            return "--rotate takes degrees, not " + value;
        t.rotate = *degrees;
        options.transformGiven = true;
    } else if (name == "--scale") {
        const auto factors = NumberPair(value, true);
        if (!factors || factors->first == 0 || factors->second == 0)
            return "--scale takes a factor F or FX,FY other than 0, not " + value;
        t.scaleX = factors->first;
        t.scaleY = factors->second;
        options.transformGiven = true;
    } else if (name == "--offset") {
        const auto offset = NumberPair(value, false);
        if (!offset)
            return "--offset takes X,Y in ILDA units, not " + value;
        t.offsetX = offset->first;
        t.offsetY = offset->second;
        options.transformGiven = true;
    } else if (name == "--margin") {
        const auto margin = startup::ParseReal(value);
        if (!margin || *margin < 0 || *margin >= 50)
            return "--margin takes a percentage from 0 to under 50, not " + value;
        options.margin = *margin;
    } else if (TakeProfileOption(name, value, profile)) {
        profileGiven = true;
    } else {
        return "";
    }
    return std::nullopt;
}

// Parses the arguments; a problem comes back as its text.
std::optional<std::string> parse(const Args &args, ConvertOptions &options)
{
    const auto known = WithProfileOptions({{"--color", true},
                                           {"--format", true},
                                           {"-o", true},
                                           {"--output", true},
                                           {"--output-dir", true},
                                           {"--force"},
                                           {"-f"},
                                           {"--parents"},
                                           {"--quiet"},
                                           {"-q"},
                                           {"--join"},
                                           {"--palette", true},
                                           {"--frames", true},
                                           {"--flip-x"},
                                           {"--flip-y"},
                                           {"--rotate", true},
                                           {"--scale", true},
                                           {"--offset", true},
                                           {"--fit"},
                                           {"--margin", true},
                                           {"--dark", true},
                                           {"--projector", true}});
    const ParsedArgs parsed = ParseArgs(args, std::span<const KnownOption>(known));
    if (!parsed.problem.empty())
        return parsed.problem;
    scan::ProfileChoice profile;
    bool profileGiven = false;
    bool marginGiven = false;
    for (const auto &[name, value] : parsed.options) {
        if (name == "--color") {
            const auto color = ParseColorOption(value);
            if (!color)
                return color.message();
            options.color = *color;
            options.colorGiven = true;
        } else if (name == "--format") {
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
        } else if (name == "--join") {
            options.join = true;
        } else if (name == "--flip-x" || name == "--flip-y") {
            (name == "--flip-x" ? options.transform.flipX : options.transform.flipY) = true;
            options.transformGiven = true;
        } else if (name == "--fit") {
            options.fit = true;
        } else if (name == "--dark") {
            if (auto problem = TakeDarkOption(value, options))
                return problem;
        } else if (name == "--force" || name == "-f") {
            options.force = true;
        } else if (name == "--projector") {
            auto stage = LoadProjector(value);
            if (const auto *problem = std::get_if<std::string>(&stage))
                return *problem;
            options.projector = std::get<ProjectorStage>(stage);
        } else if (const auto problem = parsePipelineOption(name, value, options, profile, profileGiven)) {
            if (!problem->empty())
                return *problem;
        }
        marginGiven = marginGiven || name == "--margin";
    }
    if (profileGiven && options.projector)
        return kProjectorOrProfile;
    if (profileGiven) {
        auto resolved = scan::ResolveProfile(profile);
        if (const auto *problem = std::get_if<std::string>(&resolved))
            return *problem;
        options.profile = std::get<scan::Profile>(resolved);
    }
    options.inputs = parsed.files;
    if (options.inputs.empty())
        return "convert needs at least one FILE";
    // Point files alone take only the swatch colours in formats 0 and 1;
    // frames of the pipeline get the nearest palette colour instead.
    const bool pointFilesOnly =
        !options.NeedsPipeline() && std::none_of(options.inputs.begin(), options.inputs.end(),
                                                 [](const std::string &in) { return LooksLikePipelineInput(in); });
    if (pointFilesOnly && ilda::IsIndexed(options.format.value_or(ilda::kFormat3dIndexed)) &&
        !lumivex::IsSwatchColor(options.color))
        return kSwatchOnly;
    if (marginGiven && !options.fit)
        return "--margin goes with --fit";
    if (options.output && options.outputDir)
        return "-o and --output-dir exclude each other";
    if (options.join && !options.output)
        return "--join writes one file: give -o OUT";
    if (options.output && options.inputs.size() != 1 && !options.join)
        return "-o names one output, so it takes one FILE (or add --join)";
    for (const std::string &input : options.inputs)
        if (IsStandardInput(input) && !options.output)
            return "standard input (-) has no name to derive the output's from: give -o OUT";
    return std::nullopt;
}

// A point file the old way: the bytes of File, Save, or of --format.
bool convertPointFile(const std::string &input, const lumivex::PointFile &file, const ConvertOptions &options,
                      std::set<std::string> &written)
{
    if (!file.accepted()) {
        std::fprintf(stderr, "%s: %s\n", input.c_str(), file.message.c_str());
        return false;
    }
    if (lumivex::PlottedSampleCount(file.ptCount) == 0) {
        std::fprintf(stderr, "%s: %u points give no point to export (at least 10 are needed); not converted.\n",
                     input.c_str(), unsigned{file.ptCount});
        return false;
    }
    if (ilda::IsIndexed(options.format.value_or(ilda::kFormat3dIndexed)) && !lumivex::IsSwatchColor(options.color)) {
        std::fprintf(stderr, "%s: %s.\n", input.c_str(), kSwatchOnly);
        return false;
    }
    const std::string output = OutputName(input, options);
    if (const auto problem = OutputProblem(input, output, options.force, written)) {
        std::fprintf(stderr, "%s: %s\n", input.c_str(), problem->c_str());
        return false;
    }
    // "-o -" is standard output; the report must then not land among the bytes.
    const std::string target = output == "-" ? "/dev/stdout" : output;
    const bool toStdout = IsStandardOutput(target);
    const auto existing = ExistingRule(output, options.force);
    try {
        const std::string shown = output == "-" ? "standard output" : output;
        if (options.format)
            lumivex::BuildStandardExport(file.xBuf, file.yBuf, file.ptCount, options.color, *options.format,
                                         FrameName(input))
                ->SaveToFile(target, shown, existing);
        else
            lumivex::BuildIldaExport(file.xBuf, file.yBuf, file.ptCount, options.color)
                ->SaveToFile(target, shown, existing);
    } catch (const rtl::EFileExistsError &error) {
        std::fprintf(stderr, "%s: %s%s\n", input.c_str(), error.what(), kUseForce);
        return false;
    } catch (const rtl::EFCreateError &error) {
        std::fprintf(stderr, "%s: %s\n", input.c_str(), CreateFailureText(error, output).c_str());
        return false;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s: %s\n", input.c_str(), error.what());
        return false;
    }
    written.insert(OutputKey(output));
    std::fprintf(toStdout ? stderr : stdout, "%s -> %s (%d points)\n", input.c_str(), output.c_str(),
                 lumivex::PlottedSampleCount(file.ptCount));
    return true;
}

// Converts one file; false when it was rejected or could not be written.
bool convertOne(const std::string &input, const ConvertOptions &options, std::set<std::string> &written)
{
    auto opened = OpenSource(input);
    if (!opened) {
        std::fprintf(stderr, "%s\n", opened.message().c_str());
        return false;
    }
    std::unique_ptr<rtl::TStream> stream = std::move(opened).value();
    const InputKind kind = DetectInput(input, *stream);
    if (kind == InputKind::PointFile && !options.NeedsPipeline()) {
        std::optional<lumivex::PointFile> file;
        try {
            file = lumivex::ReadPointFile(*stream);
        } catch (const rtl::EStreamError &) {
            std::fprintf(stderr, "%s\n", CantOpenMessage(input).c_str());
            return false;
        }
        return convertPointFile(input, *file, options, written);
    }
    std::vector<PipelineInput> inputs;
    inputs.push_back({input, kind, std::move(stream)});
    return RunPipeline(std::move(inputs), OutputName(input, options), options, written);
}

} // namespace

std::string OutputName(const std::string &input, const ConvertOptions &options)
{
    if (options.output)
        return *options.output;
    std::filesystem::path name(input);
    name.replace_extension(".ild");
    if (options.outputDir)
        return (std::filesystem::path(*options.outputDir) / name.filename()).string();
    return name.string();
}

std::string FrameName(const std::string &input)
{
    std::string name = std::filesystem::path(input).stem().string();
    for (char &c : name)
        if (c < 0x20 || c > 0x7E)
            c = '_';
    return name;
}

int RunConvert(const Args &args)
{
    ConvertOptions options;
    if (const auto problem = parse(args, options))
        return UsageError(*problem);
    if (const auto problem = PrepareOutputDir(options.outputDir, options.parents)) {
        std::fprintf(stderr, "lumivex: %s.\n", problem->c_str());
        return kExitFailed;
    }
    bool allConverted = true;
    std::set<std::string> written;
    if (options.join) {
        std::vector<PipelineInput> inputs;
        // One input open at a time: a thousand files must not run out of
        // descriptors. A file is opened again when read; what came from a
        // pipe stays in memory.
        for (const std::string &input : options.inputs) {
            auto stream = OpenSource(input);
            if (!stream) {
                std::fprintf(stderr, "%s\n", stream.message().c_str());
                return kExitFailed;
            }
            const InputKind kind = DetectInput(input, **stream);
            if (!dynamic_cast<rtl::TMemoryStream *>(stream->get()))
                stream->reset();
            inputs.push_back({input, kind, std::move(stream).value()});
        }
        allConverted = RunPipeline(std::move(inputs), *options.output, options, written);
    } else {
        for (const std::string &input : options.inputs)
            allConverted = convertOne(input, options, written) && allConverted;
    }
    std::fflush(stdout);
    return allConverted ? kExitOk : kExitFailed;
}

} // namespace cli
