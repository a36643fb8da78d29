// The fixed recipe laser software commonly prepares frames with: strokes in
// greedy nearest-end order (reversal allowed), lit steps at most 1.6 % and
// blanked steps at most 8 % of full scale, 7 blanked points at the end of
// a stroke and 8 at the start of the next, 3 lit points of dwell at each
// stroke's start and end, 8 at every corner turning by more than 30
// degrees. The baseline our optimiser is compared with.
#pragma once

#include "ilda/Codec.h"

#include <span>
#include <vector>

namespace bench {

std::vector<ilda::Point> FixedRecipe(std::span<const ilda::Point> frame);

} // namespace bench
