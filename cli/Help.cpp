#include "Help.h"

#include <cstdio>
#include <string_view>

namespace cli {

namespace {

struct CommandHelp {
    std::string_view name;
    const char *usage;
};

// A new command adds its line here.
constexpr CommandHelp kCommands[] = {
    {"hexdump",
     "Usage: lumivex hexdump FILE\n"
     "\n"
     "The hex dump the viewer's text pane shows, with CR LF line ends.\n"},
    {"list",
     "Usage: lumivex list FILE\n"
     "\n"
     "The X and Y values of a point file as the viewer lists them.\n"},
    {"info",
     "Usage: lumivex info FILE\n"
     "\n"
     "File name, size, point count and structure of a point file.\n"},
    {"convert",
     "Usage: lumivex convert [--color COLOR] [--format 0|1|4|5]\n"
     "                       [-o OUT | --output-dir DIR [--parents]] [--force] FILE...\n"
     "\n"
     "Writes the ILDA file that File, Save writes for each point file.\n"
     "COLOR is red (default), lime, blue, navy, yellow, aqua, fuchsia,\n"
     "white, black or, in formats 4 and 5, any 0xBBGGRR. --format writes\n"
     "that ILDA format with a frame name and an end marker. OUT defaults\n"
     "to FILE with the extension .ild (- is standard output); DIR must\n"
     "exist unless --parents. Existing files are kept unless --force, and\n"
     "an input is never overwritten.\n"},
    {"ilda",
     "Usage: lumivex ilda [--json] [--summary | --check] FILE...\n"
     "       lumivex ilda --legacy [--json] FILE\n"
     "\n"
     "The frames, palettes and points of ILDA files (formats 0 to 5), colours\n"
     "as 0xBBGGRR and #RRGGBB.\n"
     "\n"
     "  --summary   the frames without their points, from the headers alone\n"
     "  --check     every deviation from the ILDA standard; exit 1 when there\n"
     "              is one\n"
     "  --json      one JSON document per file; with --check\n"
     "              {\"file\", \"conforms\", \"deviations\": [{\"code\", \"offset\",\n"
     "              \"frame\", \"text\"}]}\n"
     "  --legacy    what TIldaFile's reader finds in FILE\n"},
};

} // namespace

const char *CommandUsage(const std::string &command)
{
    for (const CommandHelp &entry : kCommands)
        if (entry.name == command)
            return entry.usage;
    return nullptr;
}

bool AsksForHelp(const Args &args)
{
    for (const std::string &arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

int PrintCommandUsage(const std::string &command)
{
    std::fputs(CommandUsage(command), stdout);
    std::fputs("\nA FILE of - is standard input; -- ends the options.\n", stdout);
    return std::fflush(stdout) == 0 ? kExitOk : OutputFailed(0);
}

} // namespace cli
