// projector init|check: a projector's setup file made and checked;
// pattern: test patterns for setting a projector up.
#include "Arguments.h"
#include "Commands.h"
#include "FileAccess.h"
#include "OutputFiles.h"
#include "ProfileOptions.h"
#include "ProjectorOption.h"

#include "ilda/Writing.h"
#include "projector/Patterns.h"
#include "rtl/SysUtils.h"
#include "scan/Prepare.h"
#include "startup/Arguments.h"

#include <cstdio>

namespace cli {

namespace {

std::string Target(const std::string &output)
{
    return output == "-" ? "/dev/stdout" : output;
}

std::string Shown(const std::string &output)
{
    return output == "-" ? "standard output" : output;
}

int Init(const Args &args)
{
    const auto known = WithProfileOptions({{"--force"}, {"-f"}});
    const ParsedArgs parsed = ParseArgs(args, std::span<const KnownOption>(known));
    if (!parsed.problem.empty())
        return UsageError(parsed.problem);
    if (parsed.files.size() != 1)
        return UsageError("projector init takes one FILE.json to write");
    const auto profile = ProfileFromOptions(parsed);
    if (const auto *problem = std::get_if<std::string>(&profile))
        return UsageError(*problem);
    bool force = false;
    for (const auto &[name, value] : parsed.options)
        force = force || name == "--force" || name == "-f";
    projector::Setup setup;
    setup.scanner = std::get<scan::Profile>(profile);
    const std::string &output = parsed.files[0];
    const auto saved = projector::SaveSetup(setup, Target(output), Shown(output), ExistingRule(output, force));
    if (!saved) {
        std::fprintf(stderr, "lumivex: %s%s\n", saved.message().c_str(),
                     saved.failure().code == projector::kAlreadyThere ? kUseForce : "");
        return kExitFailed;
    }
    return kExitOk;
}

std::string Describe(const projector::Setup &s)
{
    const auto &d = s.scanner.colorDelay;
    char line[512];
    std::snprintf(line, sizeof line,
                  "scanner %s (%.0f points/s, cutoff %.0f Hz, colour delay %.0f/%.0f/%.0f us), %zu zone%s, "
                  "limits %.0f,%.0f to %.0f,%.0f, DAC %s",
                  s.scanner.name.c_str(), s.scanner.rate, s.scanner.cutoff, d[0], d[1], d[2], s.zones.size(),
                  s.zones.size() == 1 ? "" : "s", s.limits.left, s.limits.bottom, s.limits.right, s.limits.top,
                  s.dac ? s.dac->c_str() : "none");
    return line;
}

int Check(const Args &args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (!parsed.problem.empty())
        return UsageError(parsed.problem);
    if (parsed.files.empty())
        return UsageError("projector check takes FILE.json...");
    int status = kExitOk;
    for (const std::string &file : parsed.files) {
        const auto setup = projector::LoadSetup(file);
        if (!setup) {
            std::fprintf(stderr, "lumivex: %s\n", setup.message().c_str());
            status = std::max(status, setup.failure().code == projector::kRefused ? kExitUsage : kExitFailed);
            continue;
        }
        std::printf("%s: %s\n", file.c_str(), Describe(*setup).c_str());
    }
    return status;
}

} // namespace

int RunProjector(const Args &args)
{
    if (args.empty())
        return UsageError("projector needs init or check");
    const Args rest(args.begin() + 1, args.end());
    if (args[0] == "init")
        return Init(rest);
    if (args[0] == "check")
        return Check(rest);
    return UsageError("projector takes init or check, not " + args[0]);
}

namespace {

struct PatternOptions {
    projector::Pattern pattern = projector::Pattern::Tuning;
    ProjectorStage stage;
    scan::Profile profile = scan::DefaultProfile();
    std::string output;
    bool force = false;
};

// --rate with a projector: its scanner at that rate, the cutoff in the
// same proportion.
std::optional<std::string> Rated(const std::optional<std::string> &rate, PatternOptions &options)
{
    if (!rate)
        return std::nullopt;
    const auto value = startup::ParseReal(*rate);
    if (!value || *value <= 0)
        return "--rate takes a number above 0, not " + *rate;
    if (!options.stage) {
        scan::ProfileChoice choice;
        choice.rate = *rate;
        options.profile = std::get<scan::Profile>(scan::ResolveProfile(choice));
        return std::nullopt;
    }
    projector::Setup setup = options.stage->GetSetup();
    setup.scanner.cutoff *= *value / setup.scanner.rate;
    setup.scanner.rate = *value;
    if (auto checked = projector::CheckSetup(setup); !checked)
        return "--rate " + *rate + ": " + checked.message();
    options.stage = std::make_shared<const projector::OutputStage>(setup);
    return std::nullopt;
}

std::optional<std::string> ParsePattern(const Args &args, PatternOptions &options)
{
    const KnownOption known[] = {{"--projector", true}, {"--rate", true}, {"-o", true},
                                 {"--output", true},    {"--force"},      {"-f"}};
    const ParsedArgs parsed = ParseArgs(args, known);
    if (!parsed.problem.empty())
        return parsed.problem;
    if (parsed.files.size() != 1)
        return "pattern takes one of tuning, grid or colors";
    const auto pattern = projector::FindPattern(parsed.files[0]);
    if (!pattern)
        return "unknown pattern " + parsed.files[0] + " (tuning, grid or colors)";
    options.pattern = *pattern;
    std::optional<std::string> rate;
    for (const auto &[name, value] : parsed.options) {
        if (name == "--projector") {
            auto stage = LoadProjector(value);
            if (const auto *problem = std::get_if<std::string>(&stage))
                return *problem;
            options.stage = std::get<ProjectorStage>(stage);
        } else if (name == "--rate") {
            rate = value;
        } else if (name == "-o" || name == "--output") {
            options.output = value;
        } else {
            options.force = true;
        }
    }
    if (options.output.empty())
        return "pattern needs -o OUT.ild";
    return Rated(rate, options);
}

} // namespace

int RunPattern(const Args &args)
{
    PatternOptions options;
    if (const auto problem = ParsePattern(args, options))
        return UsageError(*problem);
    const auto drawing = projector::DrawPattern(options.pattern);
    const auto points = options.stage ? options.stage->Apply(drawing) : scan::PrepareFrame(drawing, options.profile);
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    header.name = ilda::NameField(projector::PatternName(options.pattern));
    header.company = ilda::NameField("Lumivex");
    header.total = 1;
    try {
        ilda::SectionWriter file;
        file.AddFrame(header, points);
        file.AddEndMarker(header);
        file.SaveToFile(Target(options.output), Shown(options.output), ExistingRule(options.output, options.force));
    } catch (const rtl::EFileExistsError &error) {
        std::fprintf(stderr, "lumivex: %s%s\n", error.what(), kUseForce);
        return kExitFailed;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "lumivex: %s\n", error.what());
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace cli
