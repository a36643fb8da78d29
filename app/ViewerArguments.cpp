#include "ViewerArguments.h"

namespace viewer {

namespace {

bool isOption(const std::string &word)
{
    return word.size() > 1 && word[0] == '-';
}

} // namespace

Arguments ParseArguments(const std::vector<std::string> &args)
{
    Arguments result;
    for (const std::string &word : args) {
        if (word == "--")
            break;
        if (word == "--help" || word == "-h")
            return {Arguments::Action::Help, {}, {}};
        if (word == "--version")
            return {Arguments::Action::Version, {}, {}};
    }
    bool options = true;
    for (const std::string &word : args) {
        if (options && word == "--") {
            options = false;
            continue;
        }
        if (options && isOption(word))
            return {Arguments::Action::Error, {}, "unknown option " + word};
        if (!result.file.empty())
            return {Arguments::Action::Error, {}, "one file at a time"};
        result.file = word;
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
