// The lasers' lag: frames prepared for it against frames prepared as if
// there were none, both drawn under it, kind by kind.
#include "Drawings.h"
#include "Figures.h"

#include "scan/Figures.h"
#include "scan/Prepare.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <string>

namespace bench {

namespace {

// The worst figures of a set of frames and their points.
struct Worst {
    double coverage = 100, stray = 0, share = 0;
    double points = 0;
    int short_ = 0;

    void Take(const scan::Figures &f, const scan::Profile &profile)
    {
        coverage = std::min(coverage, f.coverage);
        stray = std::max(stray, f.stray);
        share = std::max(share, f.strayShare);
        points += double(f.points);
        short_ += !Holds(f, profile);
    }
};

void PrintRow(double delay, const std::string &kind, const Worst &made, const Worst &unaware)
{
    std::printf("%5.0f  %-9s %8.3f %6.3f %6.3f %7.0f %4d   %8.3f %6.3f %6.3f %7.0f %4d\n", delay, kind.c_str(),
                made.coverage, made.stray, made.share, made.points, made.short_, unaware.coverage, unaware.stray,
                unaware.share, unaware.points, unaware.short_);
}

} // namespace

bool DelayFigures(bool quick)
{
    const std::vector<Drawing> drawings = MakeDrawings(quick ? 3 : 20);
    const scan::Profile &prompt = scan::DefaultProfile();
    std::vector<std::vector<ilda::Point>> unaware;
    for (const Drawing &drawing : drawings)
        unaware.push_back(scan::PrepareFrame(drawing.points, prompt));
    std::printf(
        "delay  frames    prepared for the delay: coverage stray share points short  "
        "prepared for none: coverage stray share points short\n");
    int failed = 0;
    double madePoints0 = 0, madePoints300 = 0;
    for (const double delay : {0.0, 50.0, 150.0, 300.0}) {
        scan::Profile profile = prompt;
        profile.colorDelay = {delay, delay, delay};
        std::map<std::string, std::pair<Worst, Worst>> kinds;
        for (std::size_t i = 0; i < drawings.size(); ++i) {
            const auto made = scan::PrepareFrame(drawings[i].points, profile);
            auto &[ours, theirs] = kinds[drawings[i].kind];
            ours.Take(scan::Measure(made, drawings[i].points, profile), profile);
            theirs.Take(scan::Measure(unaware[i], drawings[i].points, profile), profile);
        }
        for (const auto &[kind, worst] : kinds) {
            PrintRow(delay, kind, worst.first, worst.second);
            failed += worst.first.short_;
            if (delay == 0)
                madePoints0 += worst.first.points;
            if (delay == 300)
                madePoints300 += worst.first.points;
        }
    }
    std::cout << std::flush;
    Figure("delay_files_short_of_quality", failed, "files");
    Figure("delay_300us_points_added_pct", 100 * (madePoints300 / madePoints0 - 1), "%");
    if (failed > 0) {
        std::cerr << "frames prepared for a colour delay fell short: " << failed << "\n";
        return false;
    }
    return true;
}

} // namespace bench
