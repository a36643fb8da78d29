// What every program does first, and how each says its arguments are wrong.
#pragma once

#include <string>

namespace startup {

constexpr int kExitUsage = 2;

// Ignores SIGXFSZ, so a write past a file-size limit (ulimit -f) fails with
// EFBIG and is reported and cleaned up instead of killing the process; sends
// the messages the core shows to stderr, one line each (a window installs
// its message box over this once it is up).
void Begin();

// "PROGRAM: PROBLEM; try 'PROGRAM --help'." on stderr; returns kExitUsage.
int UsageError(const std::string &program, const std::string &problem);

// An option a Qt application takes out of the words itself (-platform,
// -style, -display and the like), so only Qt can judge it.
bool IsToolkitOption(const std::string &word);

} // namespace startup
