// convert: the ILDA file that File, Save writes, for each point file named.
#include "Arguments.h"
#include "Commands.h"
#include "FileAccess.h"
#include "ProfileOptions.h"

#include "ilda/Codec.h"
#include "lumivex/Colors.h"
#include "lumivex/Export.h"
#include "scan/Prepare.h"

#include <exception>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <variant>

namespace cli {

namespace {

struct ConvertOptions {
    lumivex::TColor color = lumivex::clRed;
    std::optional<std::string> output;
    std::optional<std::string> outputDir;
    bool force = false;
    bool parents = false;
    std::optional<std::uint8_t> format; // unset: the bytes of File, Save
    scan::ProfileChoice profileChoice;  // any option set: the frame prepared for that scanner
    std::vector<std::string> inputs;
};

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
                                           {"--parents"}});
    const ParsedArgs parsed = ParseArgs(args, std::span<const KnownOption>(known));
    if (!parsed.problem.empty())
        return parsed.problem;
    for (const auto &[name, value] : parsed.options) {
        if (TakeProfileOption(name, value, options.profileChoice))
            continue;
        if (name == "--color") {
            const auto color = lumivex::ParseColor(value);
            if (!color)
                return "unknown colour " + value +
                       " (red, lime, blue, navy, yellow, aqua, fuchsia, white, black or 0xBBGGRR)";
            options.color = *color;
        } else if (name == "--format") {
            if (value != "0" && value != "1" && value != "4" && value != "5")
                return "--format takes 0, 1, 4 or 5, not " + value;
            options.format = static_cast<std::uint8_t>(value[0] - '0');
        } else if (name == "--output-dir") {
            options.outputDir = value;
        } else if (name == "-o" || name == "--output") {
            options.output = value;
        } else if (name == "--parents") {
            options.parents = true;
        } else {
            options.force = true;
        }
    }
    options.inputs = parsed.files;
    if (options.inputs.empty())
        return "convert needs at least one FILE";
    if (AnyProfileOption(options.profileChoice)) {
        if (!options.format)
            return "--profile writes a standard ILDA format: add --format 0, 1, 4 or 5";
        const auto profile = scan::ResolveProfile(options.profileChoice);
        if (const auto *problem = std::get_if<std::string>(&profile))
            return *problem;
    }
    if (ilda::IsIndexed(options.format.value_or(ilda::kFormat3dIndexed)) && !lumivex::IsSwatchColor(options.color))
        return "formats 0 and 1 carry only the nine swatch colours; use --format 4 or 5 for any other colour";
    if (options.output && options.outputDir)
        return "-o and --output-dir exclude each other";
    if (options.output && options.inputs.size() != 1)
        return "-o names one output, so it takes one FILE";
    for (const std::string &input : options.inputs)
        if (IsStandardInput(input) && !options.output)
            return "standard input (-) has no name to derive the output's from: give -o OUT";
    return std::nullopt;
}

// --output-dir must name a folder before anything is converted into it.
std::optional<std::string> prepareOutputDir(const ConvertOptions &options)
{
    if (!options.outputDir)
        return std::nullopt;
    const std::filesystem::path dir(*options.outputDir);
    std::error_code error;
    if (std::filesystem::is_directory(dir, error))
        return std::nullopt;
    if (std::filesystem::exists(dir, error))
        return "the output folder " + *options.outputDir + " is not a folder";
    if (!options.parents)
        return "the output folder " + *options.outputDir + " does not exist; create it, or add --parents";
    if (!std::filesystem::create_directories(dir, error) && error)
        return "cannot create the output folder " + *options.outputDir + ": " + error.message();
    return std::nullopt;
}

std::string outputName(const std::string &input, const ConvertOptions &options)
{
    if (options.output)
        return *options.output;
    std::filesystem::path name(input);
    name.replace_extension(".ild");
    if (options.outputDir)
        return (std::filesystem::path(*options.outputDir) / name.filename()).string();
    return name.string();
}

// The frame name of the standard formats: the input's name without its
// extension, in printable ASCII.
std::string frameName(const std::string &input)
{
    std::string name = std::filesystem::path(input).stem().string();
    for (char &c : name)
        if (c < 0x20 || c > 0x7E)
            c = '_';
    return name;
}

// Two inputs of the same name (a.dat, a.txt) would end in one output: the
// second must not silently replace the first, even with --force.
std::string outputKey(const std::string &output)
{
    std::error_code error;
    const auto key = std::filesystem::weakly_canonical(output, error);
    return error ? output : key.string();
}

// Converts one file; false when it was rejected or could not be written.
bool convertOne(const std::string &input, const ConvertOptions &options, std::set<std::string> &written)
{
    const auto file = ReadPointFile(input);
    if (!file) {
        std::fprintf(stderr, "%s\n", CantOpenMessage(input).c_str());
        return false;
    }
    if (file->ildaSignature) {
        std::fprintf(stderr, "%s is an ILDA file, not a point file; not converted.\n", input.c_str());
        return false;
    }
    if (!file->accepted()) {
        std::fprintf(stderr, "%s: %s\n", input.c_str(), file->message.c_str());
        return false;
    }
    if (lumivex::PlottedSampleCount(file->ptCount) == 0) {
        std::fprintf(stderr, "%s: %u points give no point to export (at least 10 are needed); not converted.\n",
                     input.c_str(), unsigned{file->ptCount});
        return false;
    }
    const std::string output = outputName(input, options);
    if (SameFile(input, output)) {
        std::fprintf(stderr, "%s: the output %s would replace the input; not written.\n", input.c_str(),
                     output.c_str());
        return false;
    }
    if (written.count(outputKey(output))) {
        std::fprintf(stderr, "%s: %s was already written in this run; not replaced.\n", input.c_str(),
                     output.c_str());
        return false;
    }
    // Writing to standard output or a device replaces no file.
    if (!options.force && output != "-" && Exists(output) && !IsStreamDevice(output)) {
        std::fprintf(stderr, "%s: %s already exists; use --force to replace it.\n", input.c_str(), output.c_str());
        return false;
    }
    // "-o -" is standard output; the report must then not land among the bytes.
    const std::string target = output == "-" ? "/dev/stdout" : output;
    const bool toStdout = IsStandardOutput(target);
    try {
        const std::string shown = output == "-" ? "standard output" : output;
        lumivex::FramePreparation prepare;
        if (AnyProfileOption(options.profileChoice))
            prepare = [profile = std::get<scan::Profile>(scan::ResolveProfile(options.profileChoice))](
                          std::span<const ilda::Point> points) { return scan::PrepareFrame(points, profile); };
        if (options.format)
            lumivex::BuildStandardExport(file->xBuf, file->yBuf, file->ptCount, options.color, *options.format,
                                         frameName(input), prepare)
                ->SaveToFile(target, shown);
        else
            lumivex::BuildIldaExport(file->xBuf, file->yBuf, file->ptCount, options.color)->SaveToFile(target, shown);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s: %s\n", input.c_str(), error.what());
        return false;
    }
    written.insert(outputKey(output));
    std::fprintf(toStdout ? stderr : stdout, "%s -> %s (%d points)\n", input.c_str(), output.c_str(),
                 lumivex::PlottedSampleCount(file->ptCount));
    return true;
}

} // namespace

int RunConvert(const Args &args)
{
    ConvertOptions options;
    if (const auto problem = parse(args, options))
        return UsageError(*problem);
    if (const auto problem = prepareOutputDir(options)) {
        std::fprintf(stderr, "lumivex: %s.\n", problem->c_str());
        return kExitFailed;
    }
    bool allConverted = true;
    std::set<std::string> written;
    for (const std::string &input : options.inputs)
        allConverted = convertOne(input, options, written) && allConverted;
    std::fflush(stdout);
    return allConverted ? kExitOk : kExitFailed;
}

} // namespace cli
