// Seeds for the network targets: DAC replies, broadcasts and the emulators'
// input, made with our own encoders (the bytes the layout tests check).
#pragma once

#include "SeedIlda.h"

namespace fuzzseeds {

void WriteNetSeeds(const std::filesystem::path &out, const SeedWriter &write);

} // namespace fuzzseeds
