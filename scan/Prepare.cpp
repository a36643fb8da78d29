#include "scan/Prepare.h"

#include "Planner.h"
#include "Strokes.h"
#include "scan/ColorDelay.h"

namespace scan {

namespace {

// The margins of each try, as shares of the tolerance: the first is the
// cheapest that holds for ordinary drawings; the others give way to points
// where a drawing is crowded enough to need them.
struct Try {
    double deviation, settle, end;
};
constexpr Try kTries[] = {{0.85, 0.7, 0.8}, {0.5, 0.3, 0.35}, {0.25, 0.15, 0.15}};

// Vertices this close (a share of the tolerance) to the line through their
// neighbours add nothing to the drawing.
constexpr double kMerge = 0.04;

} // namespace

std::vector<ilda::Point> PrepareFrame(std::span<const ilda::Point> frame, const Profile &profile)
{
    if (frame.empty())
        return {};
    const double tolerance = Units(profile.tolerance);
    std::vector<detail::Stroke> strokes = detail::ExtractStrokes(frame, kMerge * tolerance);
    if (strokes.empty()) {
        // Nothing is drawn: one blanked point holds the frame's place.
        ilda::Point dark = frame[0];
        dark.status = ilda::kBlankingBit | ilda::kLastPointBit;
        dark.color = 0;
        return {dark};
    }
    detail::OrderStrokes(strokes);
    std::vector<ilda::Point> out;
    for (const Try &attempt : kTries) {
        out.clear();
        detail::Planner planner(profile,
                                {attempt.deviation * tolerance, attempt.settle * tolerance, attempt.end * tolerance});
        if (planner.Plan(strokes, out))
            break;
    }
    out = CompensateColorDelay(out, profile);
    // Ready to write: the last point says so.
    if (!out.empty())
        out.back().status |= ilda::kLastPointBit;
    return out;
}

} // namespace scan
