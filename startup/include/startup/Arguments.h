// The arguments of every program, split the usual way: "--" ends the
// options, "-" alone is a file (standard input), any other word starting
// with '-' is an option. Each caller says which options it knows.
#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace startup {

using Args = std::vector<std::string>;

struct KnownOption {
    const char *name;
    bool takesValue = false;
};

struct ParsedArgs {
    std::vector<std::pair<std::string, std::string>> options; // name as given, value ("" for a flag)
    std::vector<std::string> files;
    std::string problem;       // empty when the arguments are well formed
    std::string unknownOption; // the option word the problem is about, if it is one
};

// The value of an option is the next word, whatever it looks like: in
// "--frame -1" the "-1" is the frame, not an option.
ParsedArgs ParseArgs(const Args &args, std::initializer_list<KnownOption> known);
// The same for a table put together at run time (a command's own options
// and a shared group such as the profile options).
ParsedArgs ParseArgs(const Args &args, std::span<const KnownOption> known);

// The one FILE of a command that takes exactly one; a problem when there
// is not exactly one.
std::string OneFileProblem(const ParsedArgs &parsed, const char *command);

// True when one of names stands among args before "--": --help and
// --version win wherever they stand, over anything else.
bool AsksFor(const Args &args, std::initializer_list<const char *> names);

// A whole decimal number in [low, high], or false.
bool ParseNumber(const std::string &text, int low, int high, int &out);
// A finite number, the whole of text; nothing otherwise.
std::optional<double> ParseReal(const std::string &text);

} // namespace startup
