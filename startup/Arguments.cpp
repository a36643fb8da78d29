#include "startup/Arguments.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace startup {

namespace {

const KnownOption *Find(std::span<const KnownOption> known, const std::string &word)
{
    const auto match = std::find_if(known.begin(), known.end(), [&](const KnownOption &o) { return word == o.name; });
    return match == known.end() ? nullptr : &*match;
}

bool IsOptionWord(const std::string &word)
{
    return word.size() >= 2 && word[0] == '-';
}

} // namespace

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
        if (onlyFiles || !IsOptionWord(arg)) {
            parsed.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        const KnownOption *match = Find(known, arg);
        if (!match) {
            parsed.problem = "unknown option " + arg;
            parsed.unknownOption = arg;
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

bool AsksFor(const Args &args, std::initializer_list<const char *> names)
{
    for (const std::string &arg : args) {
        if (arg == "--")
            return false;
        if (std::any_of(names.begin(), names.end(), [&](const char *name) { return arg == name; }))
            return true;
    }
    return false;
}

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

std::optional<double> ParseReal(const std::string &text)
{
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace startup
