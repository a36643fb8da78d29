// Runs a program through the shell and collects its exit status, stdout and
// stderr. The command-line and robustness tests drive the real `lumivex`
// binary this way.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport
{

struct RunResult {
    int exitCode = -1; // -1: did not exit normally (killed by a signal)
    std::string out;
    std::string err;
};

// Runs program with args (each passed as one argument) in folder dir.
// prelude is shell text run first in the same shell (limits, traps), empty
// for none. The output is captured outside dir, so dir holds only what the
// program leaves there.
RunResult RunProgram(const std::filesystem::path &dir, const std::string &program,
                     const std::vector<std::string> &args, const std::string &prelude = {});

} // namespace testsupport
