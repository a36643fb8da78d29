#include "Arguments.h"

#include <algorithm>

namespace cli {

ParsedArgs ParseArgs(const Args &args, std::initializer_list<KnownOption> known)
{
    return ParseArgs(args, std::span<const KnownOption>(known.begin(), known.size()));
}

ParsedArgs ParseArgs(const Args &args, std::span<const KnownOption> known)
{
    ParsedArgs parsed;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (onlyFiles || arg.size() < 2 || arg[0] != '-') {
            parsed.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        const auto match =
            std::find_if(known.begin(), known.end(), [&](const KnownOption &o) { return arg == o.name; });
        if (match == known.end()) {
            parsed.problem = "unknown option " + arg;
            return parsed;
        }
        if (!match->takesValue) {
            parsed.options.emplace_back(arg, std::string());
            continue;
        }
        if (i + 1 == args.size()) {
            parsed.problem = arg + " needs a value";
            return parsed;
        }
        parsed.options.emplace_back(arg, args[++i]);
    }
    return parsed;
}

std::string OneFileProblem(const ParsedArgs &parsed, const char *command)
{
    if (!parsed.problem.empty())
        return parsed.problem;
    if (parsed.files.size() != 1)
        return std::string(command) + " takes exactly one FILE";
    return {};
}

} // namespace cli
