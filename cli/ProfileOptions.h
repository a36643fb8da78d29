// The options that choose a scanner profile: --profile NAME, or a scanner
// described by --rate, --cutoff, --lit-step, --blank-step and --tolerance.
// One table for every command that takes a profile.
#pragma once

#include "Arguments.h"
#include "scan/Profile.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// own followed by the profile options, for ParseArgs.
std::vector<KnownOption> WithProfileOptions(std::initializer_list<KnownOption> own);

// Puts value into choice when name is a profile option; false otherwise.
bool TakeProfileOption(const std::string &name, const std::string &value, scan::ProfileChoice &choice);

// True when choice names anything at all.
bool AnyProfileOption(const scan::ProfileChoice &choice);

// The help text's line for them.
constexpr const char *kProfileUsage =
    "[--profile ilda-30k|ilda-12k | --rate R --cutoff F --lit-step P --blank-step P --tolerance T]";

} // namespace cli
