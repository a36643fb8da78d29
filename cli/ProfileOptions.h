// The options that name or describe a scanner profile, shared by every
// command that measures or prepares frames for a scanner.
#pragma once

#include "Arguments.h"

#include "scan/Profile.h"

#include <span>
#include <string>
#include <variant>

namespace cli {

// --profile NAME, --rate R, --cutoff F, --lit-step P, --blank-step P,
// --tolerance T: each takes a value.
std::span<const KnownOption> ProfileOptionTable();

// The profile the parsed options choose (the default one when they name
// none), or what is wrong with them. Options not in the table are left
// alone.
std::variant<scan::Profile, std::string> ProfileFromOptions(const ParsedArgs &parsed);

} // namespace cli
