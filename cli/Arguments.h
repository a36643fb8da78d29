// The arguments of every command, split the usual way: "--" ends the
// options, "-" alone is a file (standard input), any other word starting
// with '-' is an option. Each command says which options it knows.
#pragma once

#include "Commands.h"

#include <initializer_list>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace cli {

struct KnownOption {
    const char *name;
    bool takesValue = false;
};

struct ParsedArgs {
    std::vector<std::pair<std::string, std::string>> options; // name as given, value ("" for a flag)
    std::vector<std::string> files;
    std::string problem; // empty when the arguments are well formed
};

ParsedArgs ParseArgs(const Args &args, std::initializer_list<KnownOption> known);
// The same with a table put together at run time (a command's own options
// and shared ones).
ParsedArgs ParseArgs(const Args &args, std::span<const KnownOption> known);

// The one FILE of hexdump, list, info and ilda; a problem when there is
// not exactly one.
std::string OneFileProblem(const ParsedArgs &parsed, const char *command);

} // namespace cli
