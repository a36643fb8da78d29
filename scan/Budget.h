// Frames held to a point budget: what gives way, in order, when a frame
// needs more points than its refresh floor allows. Private to the optimiser.
#pragma once

#include "Strokes.h"
#include "rtl/Result.h"
#include "scan/Profile.h"

#include <span>
#include <vector>

namespace scan::detail {

// The strokes of frame (in their drawing order) prepared in at most budget
// points, or why no plan within the step limits fits.
rtl::Result<std::vector<ilda::Point>> FitBudget(const std::vector<Stroke> &strokes, std::span<const ilda::Point> frame,
                                                const Profile &profile, std::size_t budget);

} // namespace scan::detail
