// A dashed line drawn in one pass: the points go at full pace and the light
// follows the mirror, not the points, so the dashes land where they are
// drawn although the mirror lags.
#include "Planner.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace scan::detail {

namespace {

struct Line {
    Place start;
    Vec2 along;
    double length = 0;
    std::vector<double> cut;   // each vertex's distance from the start
    std::vector<double> edges; // where the light changes

    double At(const Vec2 &p) const { return (p.x - start.x) * along.x + (p.y - start.y) * along.y; }
};

Line LineOf(const Stroke &stroke)
{
    Line line;
    line.start = stroke.at.front();
    const Place &end = stroke.at.back();
    line.length = std::hypot(end.x - line.start.x, end.y - line.start.y);
    line.along = {(end.x - line.start.x) / line.length, (end.y - line.start.y) / line.length};
    for (const Place &at : stroke.at)
        line.cut.push_back(line.At({at.x, at.y}));
    for (std::size_t k = 1; k + 1 < stroke.at.size(); ++k)
        if (IsLit(stroke.look[k]) != IsLit(stroke.look[k + 1]))
            line.edges.push_back(line.cut[k]);
    return line;
}

// How much of lo..hi lies on lit segments, and the segment with most of it.
std::pair<double, std::size_t> LitIn(const Stroke &stroke, const Line &line, double lo, double hi)
{
    double lit = 0, most = -1;
    std::size_t best = 1;
    // Only the segments that reach into lo..hi: the cuts rise along the line.
    const auto first = std::lower_bound(line.cut.begin(), line.cut.end(), lo);
    for (auto k = std::size_t(std::max<std::ptrdiff_t>(first - line.cut.begin(), 1)); k < line.cut.size(); ++k) {
        if (line.cut[k - 1] > hi)
            break;
        if (!IsLit(stroke.look[k]))
            continue;
        const double overlap = std::min(hi, line.cut[k]) - std::max(lo, line.cut[k - 1]);
        if (overlap > 0)
            lit += overlap;
        if (overlap > most) {
            most = overlap;
            best = k;
        }
    }
    return {lit, best};
}

// A mirror at rest shows the segment it rests on: its move is taken this long.
constexpr double kRest = 1.0;

std::pair<double, std::size_t> Lighting(const Stroke &stroke, const Line &line, double from, double to)
{
    const double middle = (from + to) / 2, half = std::max(std::abs(to - from), kRest) / 2;
    return LitIn(stroke, line, middle - half, middle + half);
}

// How far past an edge, as a share of the deviation, a move may stop.
constexpr double kPast = 0.9;

// The first place the light changes between from and to, going that way.
double FirstEdge(const Line &line, double from, double to)
{
    double edge = to;
    for (double cut : line.edges)
        if ((cut - from) * (to - from) > 0 && std::abs(cut - from) < std::abs(edge - from))
            edge = cut;
    return edge;
}

// One point of a sweep: where along the line, and whether it is lit.
struct Sample {
    double at = 0;
    bool lit = false;
    std::size_t segment = 1;
};

// What the sweep needs of the planner: the mirror, the steps and margins.
struct Pace {
    double share, step, deviation, end;
};

// The sweep with points v apart (the first phase * v), from the mirror at mirror and the last
// point at pos; empty when the mirror never comes to the end.
std::vector<Sample> PlanSweep(const Stroke &stroke, const Line &line, const Pace &pace, double v, double phase,
                              Vec2 mirror, double pos)
{
    std::vector<Sample> samples;
    const Place &end = stroke.at.back();
    const Vec2 last{end.x, end.y};
    for (int dwell = 0; dwell < kMaxDwell && samples.size() < kMostPoints;) {
        const double from = line.At(mirror);
        double next = std::min(pos + (samples.empty() ? phase * v : v), line.length);
        double to = from + pace.share * (next - from);
        auto [lit, segment] = Lighting(stroke, line, from, to);
        // A move that would light too much gap, or leave too much dash dark,
        // stops just past where the light changes, within the margin.
        if (std::min(lit, std::abs(to - from) - lit) > pace.deviation) {
            const double edge = FirstEdge(line, from, to), past = to > from ? kPast : -kPast;
            next =
                std::clamp(from + (edge + past * pace.deviation - from) / pace.share, pos - pace.step, pos + pace.step);
            to = from + pace.share * (next - from);
            std::tie(lit, segment) = Lighting(stroke, line, from, to);
        }
        samples.push_back({next, 2 * lit > std::max(std::abs(to - from), kRest), segment});
        mirror.x += pace.share * (line.start.x + next * line.along.x - mirror.x);
        mirror.y += pace.share * (line.start.y + next * line.along.y - mirror.y);
        pos = next;
        if (pos < line.length)
            continue;
        ++dwell;
        if (std::hypot(mirror.x - last.x, mirror.y - last.y) <= pace.end)
            return samples;
    }
    return {};
}

// Paces tried below the full one, in hundredths, and first steps, in
// tenths: one of them may bring the mirror onto more of the edges and save
// the points that stop there.
constexpr int kSlowerPaces = 30;
constexpr int kPhases = 20;

// The paces tried: the full one and a little below, and those that fit a
// whole number of points into the dashes' usual period.
std::vector<double> Paces(const Line &line, double step)
{
    std::vector<double> paces;
    for (int k = 0; k <= kSlowerPaces; ++k)
        paces.push_back(step * (1 - 0.01 * k));
    std::vector<double> periods;
    for (std::size_t k = 2; k < line.edges.size(); k += 2)
        periods.push_back(line.edges[k] - line.edges[k - 2]);
    if (periods.empty())
        return paces;
    std::nth_element(periods.begin(), periods.begin() + std::ptrdiff_t(periods.size() / 2), periods.end());
    const double period = periods[periods.size() / 2];
    for (int n = std::max(1, int(std::ceil(period / step))); n <= std::ceil(period / step) + 1; ++n)
        paces.push_back(period / n);
    return paces;
}

} // namespace

void Planner::Sweep(const Stroke &stroke)
{
    const Line line = LineOf(stroke);
    const Place &end = stroke.at.back();
    const Pace pace{share_, litStep_, margins_.deviation, margins_.end};
    const double pos = line.At({last_.x, last_.y});
    std::vector<Sample> best;
    for (const double v : Paces(line, litStep_))
        for (int phase = 1; phase <= kPhases; ++phase) {
            std::vector<Sample> samples = PlanSweep(stroke, line, pace, v, double(phase) / kPhases, mirror_, pos);
            if (!samples.empty() && (best.empty() || samples.size() < best.size()))
                best = std::move(samples);
        }
    // A mirror that never settles at the end: drawn as any stroke is, the
    // gaps dark.
    if (best.empty()) {
        Draw(stroke);
        return;
    }
    for (const Sample &sample : best) {
        const double f = std::clamp(sample.at / line.length, 0.0, 1.0);
        Emit({line.start.x + sample.at * line.along.x, line.start.y + sample.at * line.along.y,
              line.start.z + f * (end.z - line.start.z)},
             stroke.look[sample.segment], sample.lit);
    }
}

} // namespace scan::detail
