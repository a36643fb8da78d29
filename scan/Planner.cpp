#include "Planner.h"

#include "SegmentGrid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <numbers>
#include <tuple>
#include <utility>

namespace scan::detail {

namespace {

constexpr int kCornerSteps = 60; // the corner table's angles, 3 degrees apart
constexpr int kMaxFixes = 8;     // times a stroke's segment is slowed before it is taken as it is

double Length(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

Vec2 Lerp(const Vec2 &a, const Vec2 &b, double t)
{
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

// The measuring's distance, so that planning and figures agree to the bit.
double SegmentDistance2(const Vec2 &p, const Vec2 &a, const Vec2 &b)
{
    return DistanceSquared(p, Segment{a, b});
}

double SegmentDistance(const Vec2 &p, const Vec2 &a, const Vec2 &b)
{
    return std::sqrt(SegmentDistance2(p, a, b));
}

Vec2 XY(const Place &place)
{
    return {place.x, place.y};
}

std::int16_t Coordinate(double value)
{
    return static_cast<std::int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

// The drawn path's samples checked against the drawing, per drawn step.
constexpr double kProbes[] = {0.25, 0.5, 0.75, 1.0};

// How far the mirror may lag behind a corner of each angle and still turn
// it within the deviation, when it then leaves at full pace: a straight
// approach and a straight exit, simulated once per profile and margin.
std::vector<double> CornerTable(double share, double step, double deviation)
{
    const double steadyLag = step * (1 - share) / share;
    std::vector<double> table(kCornerSteps + 1);
    for (int i = 0; i <= kCornerSteps; ++i) {
        const double angle = std::numbers::pi * i / kCornerSteps;
        const Vec2 out{std::cos(angle), std::sin(angle)};
        constexpr int kRun = 24;
        const Vec2 farIn{-kRun * step, 0}, farOut{kRun * step * out.x, kRun * step * out.y};
        double released = 0; // how far the mirror still was when it left
        auto turnsAt = [&](double lag, double exit) {
            Vec2 mirror{-kRun * step, 0};
            auto follow = [&](const Vec2 &p) {
                mirror.x += share * (p.x - mirror.x);
                mirror.y += share * (p.y - mirror.y);
            };
            std::vector<std::pair<Vec2, Vec2>> drawn;
            double worst = 0;
            auto draw = [&](const Vec2 &p) {
                const Vec2 from = mirror;
                follow(p);
                for (double t : kProbes) {
                    const Vec2 at = Lerp(from, mirror, t);
                    worst = std::max(worst,
                                     std::min(SegmentDistance(at, farIn, {0, 0}), SegmentDistance(at, {0, 0}, farOut)));
                }
                if (Length(mirror.x, mirror.y) < 8 * step)
                    drawn.push_back({from, mirror});
            };
            for (int k = -kRun; k <= 0; ++k)
                draw({k * step, 0});
            for (int k = 0; Length(mirror.x, mirror.y) > lag && k < kMaxDwell; ++k)
                draw({0, 0});
            released = Length(mirror.x, mirror.y);
            for (int k = 1; k <= kRun; ++k)
                draw({k * exit * out.x, k * exit * out.y});
            if (worst > deviation)
                return false;
            // The drawing near the corner must be drawn too, the tip included.
            const double spacing = std::max(deviation / 2, step / 64);
            const int samples = int(std::ceil(4 * step / spacing));
            for (int side = 0; side < 2; ++side)
                for (int k = 0; k <= samples; ++k) {
                    const double d = k * spacing;
                    const Vec2 at = side == 0 ? Vec2{-d, 0} : Vec2{d * out.x, d * out.y};
                    double nearest = 1e300;
                    for (const auto &[a, b] : drawn)
                        nearest = std::min(nearest, SegmentDistance2(at, a, b));
                    if (nearest > deviation * deviation)
                        return false;
                }
            return true;
        };
        // A corner is left at full pace, or slower when the next corner is near.
        auto turns = [&](double lag) {
            return turnsAt(lag, step) && turnsAt(lag, step * 0.7) && turnsAt(lag, step * 0.4);
        };
        // The dwell moves in whole samples: what the table keeps is where
        // the mirror really was when it left, not the threshold tried.
        double low = 0, high = steadyLag * 1.05;
        if (turns(high)) {
            table[i] = high;
            continue;
        }
        for (int k = 0; k < 24; ++k) {
            const double middle = (low + high) / 2;
            (turns(middle) ? low : high) = middle;
        }
        turns(low);
        table[i] = std::min(low, released);
    }
    return table;
}

// Tables are kept per profile and margin: a file's frames share one.
const std::vector<double> &CachedCornerTable(double share, double step, double deviation)
{
    static std::mutex lock;
    static std::map<std::tuple<double, double, double>, std::vector<double>> tables;
    const std::lock_guard guard(lock);
    auto key = std::make_tuple(share, step, deviation);
    auto found = tables.find(key);
    if (found == tables.end())
        found = tables.emplace(key, CornerTable(share, step, deviation)).first;
    return found->second;
}

// Light of one colour does not draw a segment of another: where the colour
// changes, the next segments' light cannot draw this one's tip, so the
// mirror comes as close as at a stroke's end. Runs of colours that are all
// alike (a gentle gradient) are one colour and need no such wait.
void HoldAtColourChanges(const Stroke &stroke, double end, std::vector<double> &lag)
{
    const auto channel = [](ilda::Color color, int c) { return int((color >> (8 * c)) & 0xFF); };
    std::array<int, 3> low{}, high{};
    const auto begin = [&](ilda::Color color) {
        for (int c = 0; c < 3; ++c)
            low[std::size_t(c)] = high[std::size_t(c)] = channel(color, c);
    };
    if (stroke.at.size() > 1)
        begin(stroke.look[1].color);
    for (std::size_t k = 1; k + 1 < stroke.at.size(); ++k) {
        const ilda::Color next = stroke.look[k + 1].color;
        bool alike = true;
        for (int c = 0; c < 3; ++c) {
            const auto i = std::size_t(c);
            low[i] = std::min(low[i], channel(next, c));
            high[i] = std::max(high[i], channel(next, c));
            alike = alike && high[i] - low[i] <= kSameColor;
        }
        if (alike)
            continue;
        lag[k] = std::min(lag[k], end);
        begin(next);
    }
}

} // namespace

Planner::Planner(const Profile &profile, const Margins &margins)
    : share_(profile.MirrorShare()), litStep_(Units(profile.litStep) * 0.999 - 1),
      blankStep_(Units(profile.blankStep) * 0.999 - 1), margins_(margins)
{
    const std::array<long, 3> delay = profile.ColorDelayPoints();
    lead_ = std::max(0L, *std::max_element(delay.begin(), delay.end()));
    litStep_ = std::max(litStep_, 1.0);
    blankStep_ = std::max(blankStep_, 1.0);
    cornerLag_ = CachedCornerTable(share_, litStep_, margins_.deviation);
}

double Planner::CornerLag(double angle) const
{
    const int index = std::clamp(int(std::ceil(angle / std::numbers::pi * kCornerSteps)), 0, kCornerSteps);
    return cornerLag_[std::size_t(index)];
}

void Planner::Emit(const Place &at, const ilda::Point &look, bool lit)
{
    ilda::Point point = look;
    point.x = Coordinate(at.x);
    point.y = Coordinate(at.y);
    point.z = Coordinate(at.z);
    point.status = lit ? 0 : ilda::kBlankingBit;
    if (!lit)
        point.color = 0;
    out_->push_back(point);
    mirror_.x += share_ * (point.x - mirror_.x);
    mirror_.y += share_ * (point.y - mirror_.y);
    last_ = {double(point.x), double(point.y), double(point.z)};
}

void Planner::Travel(const Place &to, const ilda::Point &look)
{
    const double dx = to.x - last_.x, dy = to.y - last_.y;
    const double distance = Length(dx, dy);
    const Vec2 along = distance > 0 ? Vec2{dx / distance, dy / distance} : Vec2{1, 0};
    // The mirror in the travel's own coordinates: s along it, w across.
    const double s0 = (mirror_.x - last_.x) * along.x + (mirror_.y - last_.y) * along.y;
    const double w0 = -(mirror_.x - last_.x) * along.y + (mirror_.y - last_.y) * along.x;
    // How far along the line a point may go and stay on the axes' scale.
    auto reach = [&](double sign) {
        double limit = 1e9;
        const double start[] = {last_.x, last_.y}, direction[] = {sign * along.x, sign * along.y};
        for (int axis = 0; axis < 2; ++axis) {
            if (direction[axis] > 1e-12)
                limit = std::min(limit, (32767 - start[axis]) / direction[axis]);
            else if (direction[axis] < -1e-12)
                limit = std::min(limit, (start[axis] + 32768) / -direction[axis]);
        }
        return std::max(limit, 0.0);
    };
    const double most = reach(1), least = -reach(-1);
    const double r = 1 - share_;
    // The points that move the mirror fastest each way are tents: out at
    // full step and back onto the target in time. What the mirror reaches
    // between the two tents can be had by mixing them.
    const int first = std::max(1, int(std::ceil(distance / blankStep_)));
    for (int n = first; n < first + kMaxDwell; ++n) {
        auto tent = [&](int k, bool up) {
            return up ? std::min({k * blankStep_, distance + (n - k) * blankStep_, most})
                      : std::max({-k * blankStep_, distance - (n - k) * blankStep_, least});
        };
        double high = s0, low = s0;
        for (int k = 1; k <= n; ++k) {
            high += share_ * (tent(k, true) - high);
            low += share_ * (tent(k, false) - low);
        }
        const double across = std::abs(w0) * std::pow(r, n);
        const double reached = std::clamp(distance, low, high);
        if (Length(reached - distance, across) > margins_.settle && n + 1 < first + kMaxDwell)
            continue;
        const double mix = high > low ? (reached - low) / (high - low) : 1;
        const Place start = last_;
        for (int k = 1; k <= n; ++k) {
            const double s = mix * tent(k, true) + (1 - mix) * tent(k, false);
            Emit({start.x + s * along.x, start.y + s * along.y, to.z}, look, false);
        }
        break;
    }
    for (int k = 0; Length(mirror_.x - to.x, mirror_.y - to.y) > margins_.settle && k < kMaxDwell; ++k)
        Emit(to, look, false);
    held_ = held_ && Length(mirror_.x - to.x, mirror_.y - to.y) <= margins_.settle;
    HoldForLead(to, look);
}

// The light comes lead_ points early: the points it lands on ahead of a
// stroke must step no more than a lit step, and the frame's first point
// must stay dark.
void Planner::HoldForLead(const Place &to, const ilda::Point &look)
{
    const auto steady = [&](std::size_t k) {
        const ilda::Point &a = (*out_)[k - 1], &b = (*out_)[k];
        return Length(double(b.x) - a.x, double(b.y) - a.y) <= litStep_;
    };
    long run = 0;
    for (std::size_t k = out_->size(); k > 1 && run < lead_ && steady(k - 1); --k)
        ++run;
    for (; run < lead_ || long(out_->size()) <= lead_; ++run)
        Emit(to, look, false);
}

bool Planner::Strays(const Vec2 &from, const Vec2 &to, const Stroke &stroke, std::size_t segment,
                     const std::vector<double> &arc) const
{
    // The mirror lags a few steps behind the points: the segments within
    // that reach of the current one are the drawing it can be near.
    const double reach = 4 * litStep_ + margins_.deviation;
    std::size_t low = segment;
    while (low > 1 && arc[segment - 1] - arc[low - 1] < reach)
        --low;
    const std::size_t high = std::min(segment + 1, stroke.at.size() - 1);
    const double limit = margins_.deviation * margins_.deviation;
    // Distance to one segment is convex: a step with both ends near the
    // same segment stays near it. Nearest first: the mirror is mostly on
    // the segment it is sent along.
    for (std::size_t k = high; k >= low; --k) {
        const Vec2 a = XY(stroke.at[k - 1]), b = XY(stroke.at[k]);
        if (SegmentDistance2(from, a, b) <= limit && SegmentDistance2(to, a, b) <= limit)
            return false;
    }
    for (double t : kProbes) {
        const Vec2 at = Lerp(from, to, t);
        bool near = false;
        for (std::size_t k = high; k >= low && !near; --k)
            near = SegmentDistance2(at, XY(stroke.at[k - 1]), XY(stroke.at[k])) <= limit;
        if (!near)
            return true;
    }
    return false;
}

void Planner::Draw(const Stroke &stroke)
{
    if (stroke.Dot()) {
        Emit(stroke.at[0], stroke.look[0], true);
        return;
    }
    const std::size_t n = stroke.at.size();
    std::vector<double> arc(n, 0.0);
    for (std::size_t k = 1; k < n; ++k)
        arc[k] = arc[k - 1] + Length(stroke.at[k].x - stroke.at[k - 1].x, stroke.at[k].y - stroke.at[k - 1].y);
    // Per vertex: how close the mirror must come before the beam moves on,
    // and the pace of the segment ending there.
    std::vector<double> lag(n, margins_.end), pace(n, litStep_);
    for (std::size_t k = 1; k + 1 < n; ++k) {
        const Place &a = stroke.at[k - 1], &b = stroke.at[k], &c = stroke.at[k + 1];
        const double in = std::atan2(b.y - a.y, b.x - a.x), out = std::atan2(c.y - b.y, c.x - b.x);
        double turn = std::abs(out - in);
        if (turn > std::numbers::pi)
            turn = 2 * std::numbers::pi - turn;
        lag[k] = CornerLag(turn);
    }
    HoldAtColourChanges(stroke, margins_.end, lag);
    struct Checkpoint {
        std::size_t size = 0;
        Vec2 mirror;
        Place last;
    };
    std::vector<Checkpoint> checkpoints(n);
    std::vector<int> fixes(n, 0);
    for (std::size_t j = 1; j < n;) {
        if (out_->size() > kMostPoints) {
            held_ = false;
            return;
        }
        checkpoints[j] = {out_->size(), mirror_, last_};
        const Place &a = stroke.at[j - 1], &b = stroke.at[j];
        const double length = arc[j] - arc[j - 1];
        const int steps = std::max(1, int(std::ceil(length / pace[j])));
        bool strayed = false;
        for (int t = 1; t <= steps && !strayed; ++t) {
            const double f = double(t) / steps;
            const Vec2 from = mirror_;
            Emit({a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z)}, stroke.look[j],
                 IsLit(stroke.look[j]));
            strayed = Strays(from, mirror_, stroke, j, arc);
        }
        for (int k = 0; !strayed && k < kMaxDwell && Length(mirror_.x - b.x, mirror_.y - b.y) > lag[j]; ++k) {
            const Vec2 from = mirror_;
            Emit(b, stroke.look[j], IsLit(stroke.look[j]));
            strayed = Strays(from, mirror_, stroke, j, arc);
        }
        if (!strayed && j + 1 == n && Length(mirror_.x - b.x, mirror_.y - b.y) > lag[j])
            held_ = false;
        if (strayed && fixes[j] == kMaxFixes)
            held_ = false;
        if (strayed && fixes[j] < kMaxFixes) {
            // Turn the corner behind more tightly, and approach and leave it slower.
            ++fixes[j];
            const std::size_t back = j >= 2 ? j - 1 : j;
            if (j >= 2) {
                lag[j - 1] *= 0.5;
                pace[j - 1] = std::max(pace[j - 1] * 0.8, litStep_ / 16);
            }
            pace[j] = std::max(pace[j] * 0.8, litStep_ / 16);
            const Checkpoint &checkpoint = checkpoints[back];
            out_->resize(checkpoint.size);
            mirror_ = checkpoint.mirror;
            last_ = checkpoint.last;
            j = back;
            continue;
        }
        ++j;
    }
}

bool Planner::Plan(const std::vector<Stroke> &strokes, std::vector<ilda::Point> &out)
{
    out_ = &out;
    held_ = true;
    // The frame loops: it starts where its last stroke ends.
    last_ = strokes.back().at.back();
    last_ = {double(Coordinate(last_.x)), double(Coordinate(last_.y)), double(Coordinate(last_.z))};
    mirror_ = XY(last_);
    for (const Stroke &stroke : strokes) {
        if (out.size() > kMostPoints)
            return false;
        Travel(stroke.at.front(), stroke.look.front());
        if (stroke.sweep)
            Sweep(stroke);
        else
            Draw(stroke);
    }
    return held_;
}

} // namespace scan::detail
