// The usage of each command, for `lumivex COMMAND --help`.
#pragma once

#include "Commands.h"

#include <string>

namespace cli {

// The whole usage text, for `lumivex --help`.
const char *Usage();
// The usage lines of command, or nothing when there is no such command.
std::string CommandUsage(const std::string &command);

// True when the arguments ask for help: --help or -h before any "--".
bool AsksForHelp(const Args &args);

// Prints the usage of command on stdout; returns the exit status.
int PrintCommandUsage(const std::string &command);

} // namespace cli
