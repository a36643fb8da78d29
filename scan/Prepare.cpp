#include "scan/Prepare.h"

#include "Budget.h"
#include "Planner.h"
#include "Strokes.h"
#include "scan/ColorDelay.h"

namespace scan {

namespace {

// The margins of each try, as shares of the tolerance: the first is the
// cheapest that holds for ordinary drawings; the others give way to points
// where a drawing is crowded enough to need them.
constexpr detail::Try kTries[] = {{0.85, 0.7, 0.8}, {0.5, 0.3, 0.35}, {0.25, 0.15, 0.15}};

// Vertices this close (a share of the tolerance) to the line through their
// neighbours add nothing to the drawing.
constexpr double kMerge = 0.04;

// Dashes this far apart, in lit steps, are drawn in one sweep: crossing
// the gap at drawing pace costs less than travel and settling.
constexpr double kDashGapSteps = 4;

// Nothing is drawn: one blanked point holds the frame's place.
std::vector<ilda::Point> DarkFrame(std::span<const ilda::Point> frame)
{
    ilda::Point dark = frame[0];
    dark.status = ilda::kBlankingBit;
    dark.color = 0;
    return {dark};
}

std::vector<ilda::Point> Finished(std::vector<ilda::Point> out)
{
    // Ready to write: the last point says so.
    if (!out.empty())
        out.back().status |= ilda::kLastPointBit;
    return out;
}

} // namespace

namespace detail {

std::vector<ilda::Point> PlanStrokes(const std::vector<Stroke> &strokes, const Profile &profile,
                                     std::span<const Try> tries)
{
    const double tolerance = Units(profile.tolerance);
    std::vector<ilda::Point> out;
    for (const Try &attempt : tries) {
        out.clear();
        Planner planner(profile, {attempt.deviation * tolerance, attempt.settle * tolerance, attempt.end * tolerance});
        if (planner.Plan(strokes, out))
            break;
    }
    return CompensateColorDelay(out, profile);
}

} // namespace detail

rtl::Result<std::vector<ilda::Point>> PrepareWithinBudget(std::span<const ilda::Point> frame, const Profile &profile)
{
    if (frame.empty())
        return std::vector<ilda::Point>{};
    const double tolerance = Units(profile.tolerance);
    std::vector<detail::Stroke> strokes = detail::ExtractStrokes(frame, kMerge * tolerance);
    if (strokes.empty())
        return Finished(DarkFrame(frame));
    // Dashes as the file lists them, then any the order brings together.
    const double gap = kDashGapSteps * Units(profile.litStep);
    detail::JoinDashes(strokes, kMerge * tolerance, gap);
    detail::OrderStrokes(strokes);
    detail::JoinDashes(strokes, kMerge * tolerance, gap);
    std::vector<ilda::Point> out = detail::PlanStrokes(strokes, profile, kTries);
    const auto budget = profile.PointBudget();
    if (!budget || out.size() <= *budget)
        return Finished(std::move(out));
    auto fitted = detail::FitBudget(strokes, frame, profile, *budget);
    if (!fitted)
        return fitted.failure();
    return Finished(std::move(fitted).value());
}

std::vector<ilda::Point> PrepareFrame(std::span<const ilda::Point> frame, const Profile &profile)
{
    auto prepared = PrepareWithinBudget(frame, profile);
    // A frame that cannot keep its floor is not sent lit beyond it.
    if (!prepared)
        return Finished(DarkFrame(frame));
    return std::move(prepared).value();
}

} // namespace scan
