// The sub-commands of `lumivex`. Each takes the arguments after its name
// and returns the process's exit status.
#pragma once

#include <string>
#include <vector>

namespace cli {

using Args = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // a file could not be read, was rejected or not written
constexpr int kExitUsage = 2;

int RunHexdump(const Args &args);
int RunList(const Args &args);
int RunInfo(const Args &args);
int RunConvert(const Args &args);
int RunIlda(const Args &args);
int RunOptimize(const Args &args);
int RunDacs(const Args &args);
int RunPlay(const Args &args);
int RunText(const Args &args);
int RunProjector(const Args &args);
int RunPattern(const Args &args);

// Prints "lumivex: <problem>" and the hint to --help on stderr; returns kExitUsage.
int UsageError(const std::string &problem);

// Prints "lumivex: Cannot write standard output: REASON" on stderr; returns kExitFailed.
int OutputFailed(int error);

} // namespace cli
