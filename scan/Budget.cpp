#include "Budget.h"

#include "Planner.h"
#include "scan/Figures.h"

#include <algorithm>
#include <numeric>
#include <string>

namespace scan::detail {

namespace {

// Dwell shortened: the mirror is waited for less at starts, ends and corners.
constexpr Try kLoose[] = {{1.0, 1.0, 3.0}};
// The farthest a budgeted frame's drawn path may stray, % of full scale.
constexpr double kMostStray = 0.6;
// Gaps bridged at drawing pace, in lit steps: beyond this blanked travel
// and settling cost fewer points.
constexpr double kBridgeSteps = 6;

struct Attempt {
    std::vector<ilda::Point> points;
    bool fits = false;
};

Attempt Plan(const std::vector<Stroke> &strokes, std::span<const ilda::Point> frame, const Profile &profile,
             std::size_t budget)
{
    Attempt attempt{PlanStrokes(strokes, profile, kLoose), false};
    attempt.fits = attempt.points.size() <= budget && Measure(attempt.points, frame, profile).stray <= kMostStray;
    return attempt;
}

// Shortened dwell, then strokes that continue one another in one sweep.
Attempt Shortened(std::vector<Stroke> strokes, std::span<const ilda::Point> frame, const Profile &profile,
                  std::size_t budget)
{
    Attempt attempt = Plan(strokes, frame, profile, budget);
    if (attempt.fits)
        return attempt;
    Bridge(strokes, kBridgeSteps * Units(profile.litStep));
    return Plan(strokes, frame, profile, budget);
}

// The strokes without the `drop` of least lit length, in their order.
std::vector<Stroke> Without(const std::vector<Stroke> &strokes, const std::vector<std::size_t> &bySize,
                            std::size_t drop)
{
    std::vector<bool> dropped(strokes.size(), false);
    for (std::size_t k = 0; k < drop; ++k)
        dropped[bySize[k]] = true;
    std::vector<Stroke> kept;
    for (std::size_t k = 0; k < strokes.size(); ++k)
        if (!dropped[k])
            kept.push_back(strokes[k]);
    return kept;
}

} // namespace

rtl::Result<std::vector<ilda::Point>> FitBudget(const std::vector<Stroke> &strokes, std::span<const ilda::Point> frame,
                                                const Profile &profile, std::size_t budget)
{
    Attempt best = Shortened(strokes, frame, profile, budget);
    if (best.fits)
        return std::move(best.points);
    // The smallest details give way last, fewest first.
    std::vector<std::size_t> bySize(strokes.size());
    std::iota(bySize.begin(), bySize.end(), std::size_t{0});
    std::stable_sort(bySize.begin(), bySize.end(),
                     [&](std::size_t a, std::size_t b) { return LitLength(strokes[a]) < LitLength(strokes[b]); });
    std::size_t low = 0, high = strokes.size(); // low does not fit; high leaves nothing
    Attempt found;
    while (high - low > 1) {
        const std::size_t middle = (low + high) / 2;
        Attempt attempt = Shortened(Without(strokes, bySize, middle), frame, profile, budget);
        if (attempt.fits) {
            high = middle;
            found = std::move(attempt);
        } else {
            low = middle;
            best = std::move(attempt);
        }
    }
    if (found.fits)
        return std::move(found.points);
    return rtl::Fail("needs at least " + std::to_string(best.points.size()) +
                     " points to draw anything within the step limits, more than its budget of " +
                     std::to_string(budget));
}

} // namespace scan::detail
