// The arguments of every command, split by the programs' one parser
// (startup/): "--" ends the options, "-" alone is a file (standard input),
// any other word starting with '-' is an option. Each command says which
// options it knows.
#pragma once

#include "Commands.h"

#include "startup/Arguments.h"

namespace cli {

using startup::KnownOption;
using startup::OneFileProblem;
using startup::ParseArgs;
using startup::ParsedArgs;

} // namespace cli
