// Points for the scanner, planned against the mirror as it will move: the
// blanked travel that brings the mirror onto a stroke's start, the stroke
// at the fastest pace whose drawn path stays on the drawing, and the dwell
// each corner and end needs. Private to the optimiser.
#pragma once

#include "Strokes.h"
#include "scan/Mirror.h"
#include "scan/Profile.h"

#include <cstddef>
#include <span>
#include <vector>

namespace scan::detail {

constexpr int kMaxDwell = 64; // samples the mirror is ever waited for
// Far beyond what a frame holds (65,535): a plan this long is given up, so
// that an absurd profile or frame cannot take all memory.
constexpr std::size_t kMostPoints = std::size_t{1} << 18;

// How close to the drawing the planned path is held, in ILDA units.
struct Margins {
    double deviation = 0; // the drawn path from the drawing
    double settle = 0;    // the mirror from a stroke's start when the beam comes on
    double end = 0;       // the mirror from a stroke's end when the beam goes off
};

// The margins as shares of the tolerance.
struct Try {
    double deviation, settle, end;
};

// The strokes planned with the first try whose margins hold (the last
// try's plan when none does), ready to send: colour delay compensated.
std::vector<ilda::Point> PlanStrokes(const std::vector<Stroke> &strokes, const Profile &profile,
                                     std::span<const Try> tries);

class Planner {
public:
    Planner(const Profile &profile, const Margins &margins);

    // Plans the strokes in their order into out; the frame starts with the
    // travel from the last stroke's end to the first's start. False when
    // the margins could not be held everywhere.
    bool Plan(const std::vector<Stroke> &strokes, std::vector<ilda::Point> &out);

private:
    void Emit(const Place &at, const ilda::Point &look, bool lit);
    void Travel(const Place &to, const ilda::Point &look);
    void HoldForLead(const Place &to, const ilda::Point &look);
    void Draw(const Stroke &stroke);
    // A straight sweep at full pace, the light switched by where the mirror is.
    void Sweep(const Stroke &stroke);
    // How far the mirror may still lag behind a corner turning by angle
    // (radians) when the beam moves on.
    double CornerLag(double angle) const;
    bool Strays(const Vec2 &from, const Vec2 &to, const Stroke &stroke, std::size_t segment,
                const std::vector<double> &arc) const;

    double share_;     // of the way the mirror moves each sample
    double litStep_;   // units, with room for rounding
    double blankStep_; // units, with room for rounding
    Margins margins_;
    long lead_;                     // points the light is sent ahead of the mirror, for the lasers' lag
    std::vector<double> cornerLag_; // by angle, in kCornerSteps steps from 0 to pi
    std::vector<ilda::Point> *out_ = nullptr;
    Vec2 mirror_;
    Place last_; // the last point sent
    bool held_ = true;
};

} // namespace scan::detail
