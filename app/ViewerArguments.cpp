#include "ViewerArguments.h"

#include "startup/Arguments.h"

namespace viewer {

Arguments ParseArguments(const std::vector<std::string> &args)
{
    if (startup::AsksFor(args, {"--help", "-h"}))
        return {Arguments::Action::Help, {}, {}, {}};
    if (startup::AsksFor(args, {"--version"}))
        return {Arguments::Action::Version, {}, {}, {}};
    const startup::ParsedArgs parsed = startup::ParseArgs(args, {});
    Arguments result;
    if (!parsed.problem.empty()) {
        result.action = Arguments::Action::Error;
        result.problem = parsed.problem;
        result.unknownOption = parsed.unknownOption;
    } else if (parsed.files.size() > 1) {
        result.action = Arguments::Action::Error;
        result.problem = "one file at a time";
    } else if (!parsed.files.empty()) {
        result.file = parsed.files.front();
    }
    return result;
}

std::string UsageText()
{
    return "Usage: lumivex-viewer [FILE]\n"
           "\n"
           "Shows a Lumivex point file: its hex dump, its X and Y values and its\n"
           "outline, and saves the outline as an ILDA file (File, Save).\n"
           "FILE is opened as File, Open would open it; without FILE the window\n"
           "opens batman.dat from the current folder when it is there.\n"
           "\n"
           "  --help      this text\n"
           "  --version   the version\n";
}

std::string VersionText()
{
    return "lumivex-viewer " LUMIVEX_VERSION "\n";
}

} // namespace viewer
