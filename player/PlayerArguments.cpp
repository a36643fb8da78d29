#include "player/PlayerArguments.h"

#include "scan/Profile.h"

#include <charconv>

namespace player {

namespace {

bool IsOption(const std::string &word)
{
    return word.size() > 1 && word[0] == '-';
}

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

// A whole decimal number in [low, high], or nothing.
bool ParseNumber(const std::string &text, int low, int high, int &out)
{
    int value = 0;
    const char *end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end || value < low || value > high)
        return false;
    out = value;
    return true;
}

} // namespace

Arguments ParseArguments(const std::vector<std::string> &args)
{
    for (const std::string &word : args) {
        if (word == "--")
            break;
        if (word == "--help" || word == "-h")
            return Only(Arguments::Action::Help);
        if (word == "--version")
            return Only(Arguments::Action::Version);
    }
    Arguments result;
    bool options = true;
    bool frameGiven = false, sizeGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &word = args[i];
        if (options && word == "--") {
            options = false;
            continue;
        }
        if (options && IsOption(word)) {
            const bool takesValue = word == "--render" || word == "--frame" || word == "--size" || word == "-o" ||
                                    word == "--output" || word == "--profile";
            if (!takesValue)
                return Error("unknown option " + word);
            if (i + 1 >= args.size())
                return Error(word + " needs a value");
            const std::string &value = args[++i];
            if (word == "--render") {
                if (result.action == Arguments::Action::Render || !result.file.empty())
                    return Error("one file at a time");
                result.action = Arguments::Action::Render;
                result.file = value;
            } else if (word == "--frame") {
                if (!ParseNumber(value, 0, 65535, result.frame))
                    return Error("--frame takes a frame number from 0, not " + value);
                frameGiven = true;
            } else if (word == "--size") {
                if (!ParseNumber(value, 1, kMaxRenderSize, result.size))
                    return Error("--size takes 1 to " + std::to_string(kMaxRenderSize) + " pixels, not " + value);
                sizeGiven = true;
            } else if (word == "--profile") {
                scan::ProfileChoice choice;
                choice.name = value;
                const auto profile = scan::ResolveProfile(choice);
                if (const auto *problem = std::get_if<std::string>(&profile))
                    return Error(*problem);
                result.profile = value;
            } else {
                result.output = value;
            }
            continue;
        }
        if (!result.file.empty())
            return Error("one file at a time");
        result.file = word;
    }
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
           "\n"
           "Shows and plays the frames of an ILDA laser file (.ild) in their colours.\n"
           "Space plays and pauses; Left and Right step; Home and End go to the first\n"
           "and the last frame.\n"
           "\n"
           "  --render FILE  draw one frame into a square PNG, without a display\n"
           "  --frame N      the frame to draw, counted from 0 (default 0)\n"
           "  --size S       the PNG's side in pixels, 1 to 8192 (default 256)\n"
           "  --profile P    draw the frame as the scanner P draws it (ilda-30k or\n"
           "                 ilda-12k): bright where the beam lingers, dim where it\n"
           "                 rushes\n"
           "  -o, --output   the PNG to write\n"
           "  --help         this text\n"
           "  --version      the version\n"
           "\n"
           "Exit status: 0 done, 1 the file could not be read or has no such frame,\n"
           "or the PNG could not be written, 2 wrong arguments.\n";
}

std::string VersionText()
{
    return "lumivex-player " LUMIVEX_VERSION "\n";
}

} // namespace player
