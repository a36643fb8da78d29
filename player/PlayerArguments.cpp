#include "player/PlayerArguments.h"

#include "scan/Profile.h"
#include "startup/Arguments.h"

#include <limits>
#include <utility>
#include <variant>

namespace player {

namespace {

Arguments Only(Arguments::Action action, std::string problem = {})
{
    Arguments result;
    result.action = action;
    result.problem = std::move(problem);
    return result;
}

Arguments Error(std::string problem)
{
    return Only(Arguments::Action::Error, std::move(problem));
}

} // namespace

Arguments ParseArguments(const std::vector<std::string> &args)
{
    if (startup::AsksFor(args, {"--help", "-h"}))
        return Only(Arguments::Action::Help);
    if (startup::AsksFor(args, {"--version"}))
        return Only(Arguments::Action::Version);
    const startup::ParsedArgs parsed = startup::ParseArgs(args, {{"--render", true},
                                                                 {"--frame", true},
                                                                 {"--size", true},
                                                                 {"-o", true},
                                                                 {"--output", true},
                                                                 {"--profile", true}});
    if (!parsed.problem.empty()) {
        Arguments result = Error(parsed.problem);
        result.unknownOption = parsed.unknownOption;
        return result;
    }
    Arguments result;
    bool frameGiven = false, sizeGiven = false;
    for (const auto &[name, value] : parsed.options) {
        if (name == "--render") {
            if (result.action == Arguments::Action::Render)
                return Error("one file at a time");
            result.action = Arguments::Action::Render;
            result.file = value;
        } else if (name == "--frame") {
            result.allFrames = value == "all";
            // Its place in the file, not its 16-bit header number.
            if (!result.allFrames && !startup::ParseNumber(value, 0, std::numeric_limits<int>::max(), result.frame))
                return Error("--frame takes a frame number from 0, or all, not " + value);
            frameGiven = true;
        } else if (name == "--size") {
            if (!startup::ParseNumber(value, 1, kMaxRenderSize, result.size))
                return Error("--size takes 1 to " + std::to_string(kMaxRenderSize) + " pixels, not " + value);
            sizeGiven = true;
        } else if (name == "--profile") {
            scan::ProfileChoice choice;
            choice.name = value;
            const auto profile = scan::ResolveProfile(choice);
            if (const auto *problem = std::get_if<std::string>(&profile))
                return Error(*problem);
            result.profile = value;
        } else {
            result.output = value;
        }
    }
    if (parsed.files.size() > 1 || (!parsed.files.empty() && result.action == Arguments::Action::Render))
        return Error("one file at a time");
    if (!parsed.files.empty())
        result.file = parsed.files.front();
    if (result.action == Arguments::Action::Render) {
        if (result.output.empty())
            return Error("--render needs -o OUT.png");
        if (result.size == 0)
            result.size = kDefaultRenderSize;
    } else if (frameGiven || sizeGiven || !result.output.empty() || !result.profile.empty()) {
        return Error("--frame, --size, --profile and -o go with --render");
    }
    return result;
}

std::string UsageText()
{
    return "Usage: lumivex-player [FILE]\n"
           "       lumivex-player --render FILE [--frame N] [--size S] [--profile P] -o OUT.png\n"
           "       lumivex-player --render FILE --frame all [--size S] -o 'DIR/%04d.png'\n"
           "\n"
           "Shows and plays the frames of an ILDA laser file (.ild) in their colours.\n"
           "Space plays and pauses; Left and Right step; Home and End go to the first\n"
           "and the last frame.\n"
           "\n"
           "  --render FILE  draw one frame into a square PNG (an SVG when OUT ends in\n"
           "                 .svg), without a display\n"
           "  --frame N      the frame to draw, counted from 0 (default 0); all: every\n"
           "                 frame, OUT naming each by its number (%d, %04d; .png or .svg)\n"
           "  --size S       the picture's side in pixels, 1 to 8192 (default 256)\n"
           "  --profile P    draw the frame as the scanner P draws it (ilda-30k or\n"
           "                 ilda-12k): bright where the beam lingers, dim where it\n"
           "                 rushes\n"
           "  -o, --output   the picture to write (a PNG with --profile)\n"
           "  --help         this text\n"
           "  --version      the version\n"
           "\n"
           "Exit status: 0 done, 1 the file could not be read or has no such frame,\n"
           "or the picture could not be written, 2 wrong arguments.\n";
}

std::string VersionText()
{
    return "lumivex-player " LUMIVEX_VERSION "\n";
}

} // namespace player
