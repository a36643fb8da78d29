#include "SeedIlda.h"

namespace fuzzseeds {

void WriteIldaSeeds(const std::filesystem::path &, const SeedWriter &) {}

} // namespace fuzzseeds
