// ilda --scan: every frame of ILDA files measured by the scanner model
// against its own drawing, a line each and a summary, or as JSON.
#pragma once

#include "Commands.h"

namespace cli {

// True when args ask `ilda` for the scanner's figures: --scan or
// --scan=PROFILE before any "--".
bool AsksForScan(const Args &args);

// `lumivex ilda --scan[=PROFILE] [--json] [profile options] FILE...`
int RunIldaScan(const Args &args);

} // namespace cli
