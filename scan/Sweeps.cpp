#include "Strokes.h"

#include "scan/Mirror.h"

#include <cmath>

namespace scan::detail {

namespace {

double Distance(const Place &a, const Place &b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Where p lies along the line from a towards b, and how far off it.
struct OnLine {
    double along = 0;
    double off = 0;
};

OnLine Project(const Place &a, const Place &b, const Place &p)
{
    const double length = Distance(a, b);
    const double ux = (b.x - a.x) / length, uy = (b.y - a.y) / length;
    const double dx = p.x - a.x, dy = p.y - a.y;
    return {dx * ux + dy * uy, std::abs(dy * ux - dx * uy)};
}

bool Straight(const Stroke &stroke)
{
    return stroke.sweep || (stroke.at.size() == 2 && Distance(stroke.at[0], stroke.at[1]) > 0);
}

// next carries on along line's direction, beyond its end, by at most gap.
bool Continues(const Stroke &line, const Stroke &next, double merge, double gap)
{
    if (!Straight(line) || !Straight(next))
        return false;
    const Place &a = line.at.front(), &b = line.at.back();
    const OnLine start = Project(a, b, next.at.front()), end = Project(a, b, next.at.back());
    const double length = Distance(a, b);
    return start.off <= merge && end.off <= merge && start.along >= length && start.along - length <= gap &&
           end.along > start.along && std::abs(next.at.front().z - b.z) <= merge &&
           std::abs(next.at.back().z - b.z) <= merge;
}

ilda::Point Dark(const ilda::Point &look)
{
    ilda::Point dark = look;
    dark.status = ilda::kBlankingBit;
    dark.color = 0;
    return dark;
}

// next appended to stroke over a dark segment from stroke's end.
void Append(Stroke &stroke, const Stroke &next)
{
    if (Distance(stroke.at.back(), next.at.front()) > 0) {
        stroke.at.push_back(next.at.front());
        stroke.look.push_back(Dark(next.look.front()));
    }
    for (std::size_t k = 1; k < next.at.size(); ++k) {
        stroke.at.push_back(next.at[k]);
        stroke.look.push_back(next.look[k]);
    }
}

} // namespace

void JoinDashes(std::vector<Stroke> &strokes, double merge, double gap)
{
    std::vector<Stroke> joined;
    for (Stroke &stroke : strokes) {
        if (!joined.empty() && Continues(joined.back(), stroke, merge, gap)) {
            Append(joined.back(), stroke);
            joined.back().sweep = true;
            continue;
        }
        joined.push_back(std::move(stroke));
    }
    strokes = std::move(joined);
}

void Bridge(std::vector<Stroke> &strokes, double gap)
{
    std::vector<Stroke> joined;
    for (Stroke &stroke : strokes) {
        // A sweep is drawn by its own rule; dots have no direction to go on in.
        const bool joins = !joined.empty() && !joined.back().sweep && !stroke.sweep && !stroke.Dot() &&
                           !joined.back().Dot() && Distance(joined.back().at.back(), stroke.at.front()) <= gap;
        if (joins)
            Append(joined.back(), stroke);
        else
            joined.push_back(std::move(stroke));
    }
    strokes = std::move(joined);
}

double LitLength(const Stroke &stroke)
{
    double length = 0;
    for (std::size_t k = 1; k < stroke.at.size(); ++k)
        if (IsLit(stroke.look[k]))
            length += Distance(stroke.at[k - 1], stroke.at[k]);
    return length;
}

} // namespace scan::detail
