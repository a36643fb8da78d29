// The options that choose a scanner profile: --profile NAME, or a scanner
// described by --rate, --cutoff, --lit-step, --blank-step and --tolerance,
// the lasers' lag, --color-delay, and a refresh floor, --min-hz and --max-points.
// One table for every command that measures or prepares frames for a
// scanner.
#pragma once

#include "Arguments.h"
#include "scan/Profile.h"

#include <initializer_list>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace cli {

// The profile options alone (each takes a value).
std::span<const KnownOption> ProfileOptionTable();
// own followed by the profile options, for ParseArgs.
std::vector<KnownOption> WithProfileOptions(std::initializer_list<KnownOption> own);

// Puts value into choice when name is a profile option; false otherwise.
bool TakeProfileOption(const std::string &name, const std::string &value, scan::ProfileChoice &choice);

// True when choice names anything at all.
bool AnyProfileOption(const scan::ProfileChoice &choice);

// The profile the parsed options choose (the default one when they name
// none), or what is wrong with them. Options not in the table are left
// alone; one given twice is refused.
std::variant<scan::Profile, std::string> ProfileFromOptions(const ParsedArgs &parsed);

// The help text's line for them.
constexpr const char *kProfileUsage =
    "[--profile ilda-30k|ilda-12k | --rate R --cutoff F --lit-step P --blank-step P --tolerance T] "
    "[--color-delay US|R,G,B] [--min-hz F] [--max-points N]";

} // namespace cli
