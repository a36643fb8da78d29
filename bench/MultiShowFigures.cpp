// One show to two and to four emulators of mixed kinds on loopback, in
// step (60 s, or 3 s with quick): how far apart a frame starts across the
// DACs, by the emulators' clocks. The largest spread, its median and its
// 99th percentile; with IDN units that hold frames, and that do not.
#include "Figures.h"

#include "dac/MultiShow.h"
#include "dac/Show.h"
#include "emulator/Emulator.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace {

constexpr double kRate = 30000;
constexpr double kFps = 30;
constexpr std::uint64_t kMarkStep = 16;

// Ten frames of one slot each, looped; each frame's first point marks it
// with its slot (y, in steps of 16, which a LaserCube's 12 bits keep), so a
// frame is matched across DACs even when skipped.
class MarkedShow : public dac::FrameSource {
public:
    explicit MarkedShow(std::uint64_t slots) : slots_(slots), frame_(static_cast<std::size_t>(kRate / kFps))
    {
        for (std::size_t i = 0; i < frame_.size(); ++i) {
            const double a = 2 * M_PI * static_cast<double>(i) / static_cast<double>(frame_.size());
            frame_[i].x = static_cast<std::int16_t>(20000 * std::cos(a));
            frame_[i].y = static_cast<std::int16_t>(20000 * std::sin(a));
            frame_[i].color = ilda::Rgb(0, 255, 0);
        }
        frame_[0].x = -32768;
    }
    const std::vector<ilda::Point> *Frame(std::uint64_t slot) override
    {
        if (slot >= slots_)
            return nullptr;
        frame_[0].y = static_cast<std::int16_t>(slot * kMarkStep);
        return &frame_;
    }

private:
    std::uint64_t slots_;
    std::vector<ilda::Point> frame_;
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(std::round(p * static_cast<double>(values.size() - 1)))];
}

// hold: how long the IDN units hold each frame past its timestamp.
bool SyncFigures(const std::vector<dac::Kind> &kinds, double seconds, double hold, const std::string &name)
{
    std::vector<std::unique_ptr<emu::Emulator>> emulators;
    std::vector<dac::ShowOutput> outputs;
    const auto slots = static_cast<std::uint64_t>(std::llround(seconds * kFps));
    for (const dac::Kind kind : kinds) {
        emu::EmulatorOptions options;
        options.kind = kind;
        options.anyPort = true;
        options.broadcastTo.clear();
        options.holdSeconds = hold;
        emulators.push_back(std::make_unique<emu::Emulator>(options));
        std::string problem;
        if (!emulators.back()->Start(problem)) {
            std::fprintf(stderr, "lumivex-bench: %s\n", problem.c_str());
            return false;
        }
        dac::ShowOutput output;
        output.options.target = {kind, "127.0.0.1", emulators.back()->Port()};
        output.options.rate = kRate;
        output.options.fps = kFps;
        output.options.idnHoldSeconds = hold;
        output.source = std::make_unique<MarkedShow>(slots);
        outputs.push_back(std::move(output));
    }
    std::atomic<bool> stop{false};
    const auto outcomes = dac::RunMultiShow(outputs, stop);
    // Each frame's first start on each DAC (y wraps after 2,047 slots: 68 s at 30 fps).
    std::map<std::int16_t, std::vector<double>> starts;
    for (auto &emulator : emulators) {
        emulator->Stop();
        std::map<std::int16_t, double> first;
        for (const auto &[at, frame] : emulator->Figures().frameStarts)
            first.emplace(frame, at);
        for (const auto &[frame, at] : first)
            starts[frame].push_back(at);
    }
    for (const auto &outcome : outcomes)
        if (outcome.end != dac::StreamEnd::Done) {
            std::fprintf(stderr, "lumivex-bench: %s stream ended early: %s\n", name.c_str(), outcome.message.c_str());
            return false;
        }
    double underflows = 0;
    for (const auto &outcome : outcomes)
        underflows += static_cast<double>(outcome.status.underflows);
    bench::Figure(name + "_underflows", underflows, "");
    std::vector<double> spreads;
    for (const auto &[frame, at] : starts)
        if (at.size() == kinds.size())
            spreads.push_back((*std::max_element(at.begin(), at.end()) - *std::min_element(at.begin(), at.end())) *
                              1000);
    bench::Figure(name + "_frames_matched", static_cast<double>(spreads.size()), "frames");
    bench::Figure(name + "_spread_max_ms", Percentile(spreads, 1), "ms");
    bench::Figure(name + "_spread_median_ms", Percentile(spreads, 0.5), "ms");
    bench::Figure(name + "_spread_p99_ms", Percentile(spreads, 0.99), "ms");
    return true;
}

} // namespace

bool bench::MultiShowFigures(bool quick)
{
    const double seconds = quick ? 3 : 60;
    using dac::Kind;
    const std::vector<Kind> two = {Kind::EtherDream, Kind::Idn};
    const std::vector<Kind> four = {Kind::EtherDream, Kind::Idn, Kind::LaserCube, Kind::Idn};
    // IDN units that hold frames 40 ms (as long as the Ether Dreams' buffer
    // is kept), and units that play them as they arrive.
    return SyncFigures(two, seconds, 0.040, "live_sync_2") && SyncFigures(four, seconds, 0.040, "live_sync_4") &&
           SyncFigures(four, seconds, 0, "live_sync_4_on_arrival");
}
