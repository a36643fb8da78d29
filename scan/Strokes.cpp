#include "Strokes.h"

#include "scan/Mirror.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace scan::detail {

namespace {

Place PlaceOf(const ilda::Point &point)
{
    return {double(point.x), double(point.y), double(point.z)};
}

bool SameSpot(const Place &a, const Place &b)
{
    return a.x == b.x && a.y == b.y;
}

// Distance of p from the segment a-b in x and y, and whether p projects
// strictly inside it (a point behind either end is a turn, not a bend).
bool OnChord(const Place &a, const Place &b, const Place &p, double merge)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    if (length2 <= 0)
        return false;
    const double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2;
    if (t <= 0 || t >= 1)
        return false;
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    const double ez = a.z + t * (b.z - a.z) - p.z;
    return ex * ex + ey * ey <= merge * merge && std::abs(ez) <= merge;
}

// Runs of collinear vertices stay this short, so cleaning stays linear.
constexpr std::size_t kLongestRun = 256;

// Drops repeated vertices and those on the chord between the kept ones.
void Clean(Stroke &stroke, double merge)
{
    Stroke clean;
    clean.at.push_back(stroke.at[0]);
    clean.look.push_back(stroke.look[0]);
    std::vector<Place> run; // vertices since the last kept one; run.back() is the tentative next
    ilda::Point runLook;
    auto keepRun = [&] {
        clean.at.push_back(run.back());
        clean.look.push_back(runLook);
        run.clear();
    };
    for (std::size_t k = 1; k < stroke.at.size(); ++k) {
        const Place &p = stroke.at[k];
        if (SameSpot(p, run.empty() ? clean.at.back() : run.back()))
            continue;
        if (!run.empty()) {
            bool straight = SameLook(runLook, stroke.look[k]) && run.size() < kLongestRun;
            for (std::size_t i = 0; straight && i < run.size(); ++i)
                straight = OnChord(clean.at.back(), p, run[i], merge);
            if (!straight)
                keepRun();
        }
        run.push_back(p);
        runLook = stroke.look[k];
    }
    if (!run.empty())
        keepRun();
    stroke = std::move(clean);
}

} // namespace

std::vector<Stroke> ExtractStrokes(std::span<const ilda::Point> frame, double merge)
{
    std::vector<Stroke> strokes;
    bool open = false;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (!IsLit(frame[i])) {
            open = false;
            continue;
        }
        if (!open) {
            strokes.emplace_back();
            // A lit first point is a dot; any other run starts where the
            // point before it left the beam.
            if (i > 0)
                strokes.back().at.push_back(PlaceOf(frame[i - 1]));
            else
                strokes.back().at.push_back(PlaceOf(frame[i]));
            strokes.back().look.push_back(frame[i]);
            open = true;
        }
        strokes.back().at.push_back(PlaceOf(frame[i]));
        strokes.back().look.push_back(frame[i]);
    }
    for (Stroke &stroke : strokes)
        Clean(stroke, merge);
    return strokes;
}

void Reverse(Stroke &stroke)
{
    const std::size_t n = stroke.at.size();
    std::vector<ilda::Point> look(n);
    // Segment k (from vertex k-1 to k) becomes the one ending at n-k.
    for (std::size_t k = 1; k < n; ++k)
        look[n - k] = stroke.look[k];
    look[0] = n > 1 ? look[1] : stroke.look[0];
    std::reverse(stroke.at.begin(), stroke.at.end());
    stroke.look = std::move(look);
}

namespace {

double Distance2(const Place &a, const Place &b)
{
    const double dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// Beyond this many strokes the search for the nearest is quadratic enough
// to matter: the frame's order is kept, each stroke still turned to start
// at its nearer end.
constexpr std::size_t kGreedyLimit = 4096;

} // namespace

void OrderStrokes(std::vector<Stroke> &strokes)
{
    if (strokes.size() < 2)
        return;
    if (strokes.size() > kGreedyLimit) {
        for (std::size_t i = 1; i < strokes.size(); ++i)
            if (Distance2(strokes[i - 1].at.back(), strokes[i].at.back()) <
                Distance2(strokes[i - 1].at.back(), strokes[i].at.front()))
                Reverse(strokes[i]);
        return;
    }
    for (std::size_t i = 1; i < strokes.size(); ++i) {
        const Place &here = strokes[i - 1].at.back();
        std::size_t best = i;
        bool reverse = false;
        double nearest = std::numeric_limits<double>::infinity();
        for (std::size_t j = i; j < strokes.size(); ++j) {
            const double front = Distance2(here, strokes[j].at.front());
            const double back = Distance2(here, strokes[j].at.back());
            if (front < nearest) {
                nearest = front;
                best = j;
                reverse = false;
            }
            if (back < nearest) {
                nearest = back;
                best = j;
                reverse = true;
            }
        }
        std::swap(strokes[i], strokes[best]);
        if (reverse)
            Reverse(strokes[i]);
    }
}

} // namespace scan::detail
