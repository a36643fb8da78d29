#include "Recipe.h"

#include "scan/Mirror.h"
#include "scan/Profile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace bench {

namespace {

constexpr int kEndBlanks = 7;
constexpr int kStartBlanks = 8;
constexpr int kEndDwell = 3;
constexpr int kCornerDwell = 8;
constexpr double kCornerDegrees = 30;
// The steps, a hair inside 1.6 % and 8 % so that rounding stays within.
const double kLitStep = scan::Units(1.6) - 1;
const double kBlankStep = scan::Units(8) - 1;

// A stroke: the point it starts from, then its lit points as they were.
using Stroke = std::vector<ilda::Point>;

std::vector<Stroke> Strokes(std::span<const ilda::Point> frame)
{
    std::vector<Stroke> strokes;
    bool open = false;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (!scan::IsLit(frame[i])) {
            open = false;
            continue;
        }
        if (!open) {
            strokes.emplace_back();
            ilda::Point start = frame[i];
            if (i > 0) {
                start.x = frame[i - 1].x;
                start.y = frame[i - 1].y;
                start.z = frame[i - 1].z;
            }
            strokes.back().push_back(start);
            open = true;
        }
        strokes.back().push_back(frame[i]);
    }
    return strokes;
}

double Distance(const ilda::Point &a, const ilda::Point &b)
{
    return std::hypot(double(a.x) - b.x, double(a.y) - b.y);
}

void Reverse(Stroke &stroke)
{
    // Each segment keeps the colour of the point it was drawn to.
    Stroke reversed(stroke.rbegin(), stroke.rend());
    for (std::size_t k = 1; k < reversed.size(); ++k) {
        const ilda::Point &look = stroke[stroke.size() - k];
        reversed[k].color = look.color;
        reversed[k].colorIndex = look.colorIndex;
    }
    stroke = std::move(reversed);
}

void Order(std::vector<Stroke> &strokes)
{
    for (std::size_t i = 1; i < strokes.size(); ++i) {
        const ilda::Point &here = strokes[i - 1].back();
        std::size_t best = i;
        bool reverse = false;
        double nearest = std::numeric_limits<double>::infinity();
        for (std::size_t j = i; j < strokes.size(); ++j) {
            if (Distance(here, strokes[j].front()) < nearest) {
                nearest = Distance(here, strokes[j].front());
                best = j;
                reverse = false;
            }
            if (Distance(here, strokes[j].back()) < nearest) {
                nearest = Distance(here, strokes[j].back());
                best = j;
                reverse = true;
            }
        }
        std::swap(strokes[i], strokes[best]);
        if (reverse)
            Reverse(strokes[i]);
    }
}

ilda::Point At(const ilda::Point &look, double x, double y, double z, bool lit)
{
    ilda::Point point = look;
    point.x = static_cast<std::int16_t>(std::lround(x));
    point.y = static_cast<std::int16_t>(std::lround(y));
    point.z = static_cast<std::int16_t>(std::lround(z));
    point.status = lit ? 0 : ilda::kBlankingBit;
    if (!lit)
        point.color = 0;
    return point;
}

// Points from the last one out to to, in equal steps of at most step; to
// itself is the last.
void Steps(std::vector<ilda::Point> &out, const ilda::Point &from, const ilda::Point &to, double step, bool lit)
{
    const int count = std::max(1, int(std::ceil(Distance(from, to) / step)));
    for (int k = 1; k <= count; ++k) {
        const double f = double(k) / count;
        out.push_back(
            At(to, from.x + f * (to.x - from.x), from.y + f * (to.y - from.y), from.z + f * (to.z - from.z), lit));
    }
}

// The turn at b, in degrees, between the last move into it and the next
// move out of it; moves of length 0 have no direction and are passed over.
double Turn(const Stroke &stroke, std::size_t at)
{
    // A repeated point turns nothing: the corner was counted where it began.
    if (Distance(stroke[at - 1], stroke[at]) == 0)
        return 0;
    std::size_t after = at + 1;
    while (after < stroke.size() && Distance(stroke[after], stroke[at]) == 0)
        ++after;
    if (after >= stroke.size())
        return 0;
    const ilda::Point &a = stroke[at - 1], &b = stroke[at], &c = stroke[after];
    const double in = std::atan2(double(b.y) - a.y, double(b.x) - a.x);
    const double out = std::atan2(double(c.y) - b.y, double(c.x) - b.x);
    double turn = std::abs(out - in) * 180 / std::numbers::pi;
    return turn > 180 ? 360 - turn : turn;
}

} // namespace

std::vector<ilda::Point> FixedRecipe(std::span<const ilda::Point> frame)
{
    std::vector<Stroke> strokes = Strokes(frame);
    std::vector<ilda::Point> out;
    if (strokes.empty()) {
        out.assign(frame.begin(), frame.end());
        return out;
    }
    Order(strokes);
    ilda::Point here = strokes.back().back();
    for (const Stroke &stroke : strokes) {
        const ilda::Point &start = stroke.front();
        Steps(out, here, start, kBlankStep, false);
        for (int k = 1; k < kStartBlanks; ++k)
            out.push_back(At(start, start.x, start.y, start.z, false));
        for (int k = 0; k < kEndDwell; ++k)
            out.push_back(At(stroke.size() > 1 ? stroke[1] : start, start.x, start.y, start.z, true));
        for (std::size_t i = 1; i < stroke.size(); ++i) {
            Steps(out, stroke[i - 1], stroke[i], kLitStep, true);
            if (i + 1 < stroke.size() && Turn(stroke, i) > kCornerDegrees)
                for (int k = 0; k < kCornerDwell; ++k)
                    out.push_back(out.back());
        }
        for (int k = 0; k < kEndDwell; ++k)
            out.push_back(out.back());
        for (int k = 0; k < kEndBlanks; ++k)
            out.push_back(At(out.back(), out.back().x, out.back().y, out.back().z, false));
        here = out.back();
    }
    return out;
}

} // namespace bench
