// What the viewer's command line asks for: help, the version, or the window
// with an optional file to open. Plain C++, so --help and --version are
// answered before any display is needed.
#pragma once

#include <string>
#include <vector>

namespace viewer {

struct Arguments {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string file;          // the file to open; empty for none
    std::string problem;       // what is wrong, for Error
    std::string unknownOption; // Error: the option not known, if that is what is wrong
};

// args: the words after the program's name. --help and --version win
// wherever they stand before "--"; "--" ends the options.
Arguments ParseArguments(const std::vector<std::string> &args);

std::string UsageText();
std::string VersionText();

} // namespace viewer
