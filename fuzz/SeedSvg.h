// Seeds for the SVG import: the drawings of its tests, plain and gzipped.
#pragma once

#include "SeedIlda.h"

namespace fuzzseeds {

void WriteSvgSeeds(const std::filesystem::path &out, const SeedWriter &write);

} // namespace fuzzseeds
