// The usage of each command, for `lumivex COMMAND --help`.
#pragma once

#include "Commands.h"

#include <string>

namespace cli {

// The usage text of command, or null when there is no such command.
const char *CommandUsage(const std::string &command);

// True when the arguments ask for help: --help or -h before any "--".
bool AsksForHelp(const Args &args);

// Prints the usage of command on stdout; returns the exit status.
int PrintCommandUsage(const std::string &command);

} // namespace cli
