// The one reading of a colour on the command line, for every command that
// takes one.
#pragma once

#include "lumivex/Colors.h"
#include "rtl/Result.h"

#include <string>

namespace cli {

// A swatch name, #RRGGBB, 0xBBGGRR, or a CSS colour name Qt knows (in a
// build with Qt); the failure names the forms taken.
rtl::Result<lumivex::TColor> ParseColorOption(const std::string &text);

// The forms ParseColorOption takes, as --help and its message list them.
const char *ColorForms();

} // namespace cli
