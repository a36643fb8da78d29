// The projector's output stage: geometry, zones and calibration of a full
// frame, the whole stage against the optimiser alone, and the lit samples
// of the mirror's path found inside blank zones (which must be none).
#include "Drawings.h"
#include "Figures.h"

#include "projector/Safety.h"
#include "projector/Stage.h"
#include "scan/Prepare.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>
#include <iostream>
#include <numbers>
#include <random>

namespace {

// This thread's processor time in milliseconds: on a machine other work
// shares, the wall clock would time the others too.
double ThreadMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The best of runs timings of work, in milliseconds: the others share the
// processor's caches with whatever else runs.
double BestMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int k = 0; k < runs; ++k) {
        const double start = ThreadMs();
        work();
        times.push_back(ThreadMs() - start);
    }
    return *std::min_element(times.begin(), times.end());
}

// A projector hung at an angle, with zones of both kinds and its lasers
// calibrated: every part of the stage does work.
projector::Setup HungProjector()
{
    projector::Setup s;
    s.scanner.colorDelay = {150, 120, 100};
    s.color.brightness = 85;
    s.color.channels[0] = {0.9, 0.1, 1.6, std::nullopt};
    s.color.channels[2].levels = std::array<double, 5>{0, 20, 45, 75, 100};
    s.geometry.rotate = 7;
    s.geometry.size = {92, 88};
    s.geometry.keystone = {{{-31000, -32000}, {31000, -32000}, {27000, 30000}, {-27000, 30000}}};
    s.zones.push_back({projector::ZoneKind::Blank, 0, {{-6000, -6000}, {6000, -6000}, {6000, 6000}, {-6000, 6000}}});
    s.zones.push_back({projector::ZoneKind::Blank, 0, {{-30000, 20000}, {-15000, 20000}, {-22000, 29000}}});
    s.zones.push_back({projector::ZoneKind::Dim, 30, {{10000, -30000}, {30000, -30000}, {30000, -10000}}});
    s.limits = {-31000, -31500, 31000, 30500};
    return s;
}

// A spiral of 65,535 lit points in many colours.
std::vector<ilda::Point> FullFrame()
{
    std::vector<ilda::Point> frame(65535);
    for (std::size_t k = 0; k < frame.size(); ++k) {
        const double t = static_cast<double>(k) / frame.size(), a = t * 80 * std::numbers::pi;
        frame[k].x = static_cast<std::int16_t>(std::lround(30000 * t * std::cos(a)));
        frame[k].y = static_cast<std::int16_t>(std::lround(30000 * t * std::sin(a)));
        frame[k].color = ilda::Rgb(static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 3), 200);
    }
    frame[0].status = ilda::kBlankingBit;
    return frame;
}

// Lit samples inside blank zones over frames of every kind, with zones
// placed at random across them.
std::size_t BlankZoneSamples(const std::vector<bench::Drawing> &drawings)
{
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> at(-25000, 25000), side(2000, 9000);
    std::size_t count = 0;
    for (const bench::Drawing &drawing : drawings) {
        projector::Setup setup = HungProjector();
        const double x = at(random), y = at(random), w = side(random), h = side(random);
        setup.zones.push_back({projector::ZoneKind::Blank, 0, {{x, y}, {x + w, y}, {x + w / 2, y + h}}});
        const projector::OutputStage stage(setup);
        count += projector::LitSamplesInBlankZones(stage.Apply(drawing.points), setup);
    }
    return count;
}

} // namespace

bool bench::ProjectorFigures(bool quick)
{
    const projector::Setup setup = HungProjector();
    const projector::OutputStage stage(setup);
    const auto frame = FullFrame();
    const double placeMs = BestMs(quick ? 3 : 15, [&] {
        auto placed = stage.Place(frame);
        stage.Finish(placed);
    });
    Figure("projector_place_calibrate_65535_ms", placeMs, "ms");

    const auto drawings = MakeDrawings(quick ? 3 : 20);
    const int runs = quick ? 2 : 3;
    // The optimiser builds its tables once per profile: not part of either figure.
    stage.Apply(drawings.front().points);
    const double optimizeMs = BestMs(runs, [&] {
        for (const Drawing &d : drawings)
            scan::PrepareFrame(d.points, setup.scanner);
    });
    const double stageMs = BestMs(runs, [&] {
        for (const Drawing &d : drawings)
            stage.Apply(d.points);
    });
    Figure("projector_stage_ms", stageMs, "ms");
    Figure("projector_optimize_alone_ms", optimizeMs, "ms");
    Figure("projector_stage_vs_optimize_ratio", stageMs / optimizeMs, "x");

    const std::size_t stray = BlankZoneSamples(drawings);
    Figure("projector_blank_zone_lit_samples", static_cast<double>(stray), "samples");
    if (stray != 0)
        std::cerr << "lumivex-bench: the beam was lit inside a blank zone\n";
    return stray == 0;
}
