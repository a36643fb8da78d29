// The refresh floor: frames prepared within a budget keep more of the
// drawing, and stray less, than the recipe's output thinned to as many
// points; dashed lines cost no more than the recipe's lines drawn whole.
#include "Drawings.h"
#include "Figures.h"
#include "Recipe.h"

#include "scan/Figures.h"
#include "scan/Prepare.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>

namespace bench {

namespace {

// Every (n / count)th point: the plain way to make a frame fit.
std::vector<ilda::Point> Thinned(const std::vector<ilda::Point> &frame, std::size_t count)
{
    std::vector<ilda::Point> out;
    for (std::size_t k = 0; k < count && !frame.empty(); ++k)
        out.push_back(frame[k * frame.size() / count]);
    return out;
}

// The budget each frame is held to: this share of what it needs without one.
constexpr double kBudgetShare = 0.6;

struct KindTotals {
    int frames = 0, belowThinned = 0, over = 0;
    double coverage = 0, recipeCoverage = 0; // sums
    double stray = 0, recipeStray = 0;       // largest
};

bool OverBudget(const std::vector<Drawing> &drawings)
{
    std::map<std::string, KindTotals> kinds;
    for (const Drawing &drawing : drawings) {
        scan::Profile profile = scan::DefaultProfile();
        const std::size_t free = scan::PrepareFrame(drawing.points, profile).size();
        profile.maxPoints = std::max<std::size_t>(1, std::size_t(kBudgetShare * double(free)));
        const auto ours = scan::PrepareWithinBudget(drawing.points, profile);
        if (!ours)
            continue;
        const scan::Figures f = scan::Measure(*ours, drawing.points, profile);
        const scan::Figures r =
            scan::Measure(Thinned(FixedRecipe(drawing.points), ours->size()), drawing.points, profile);
        KindTotals &kind = kinds[drawing.kind];
        ++kind.frames;
        kind.belowThinned += f.coverage < r.coverage;
        kind.over += ours->size() > *profile.maxPoints || f.stray > 0.6;
        kind.coverage += f.coverage;
        kind.recipeCoverage += r.coverage;
        kind.stray = std::max(kind.stray, f.stray);
        kind.recipeStray = std::max(kind.recipeStray, r.stray);
    }
    std::printf("%-9s %6s %14s %14s %12s %12s\n", "budget", "frames", "coverage ours", "coverage thin", "stray ours",
                "stray thin");
    int worse = 0, below = 0;
    for (const auto &[name, kind] : kinds) {
        std::printf("%-9s %6d %13.2f%% %13.2f%% %11.3f%% %11.3f%%\n", name.c_str(), kind.frames,
                    kind.coverage / kind.frames, kind.recipeCoverage / kind.frames, kind.stray, kind.recipeStray);
        Figure("budget_" + name + "_coverage_pct", kind.coverage / kind.frames, "%");
        Figure("budget_" + name + "_thinned_coverage_pct", kind.recipeCoverage / kind.frames, "%");
        Figure("budget_" + name + "_largest_stray_pct", kind.stray, "%");
        Figure("budget_" + name + "_thinned_largest_stray_pct", kind.recipeStray, "%");
        // A kind is held to the thinned recipe on the whole; a frame on its own may draw less.
        worse += kind.over + (kind.coverage < kind.recipeCoverage) + (kind.stray > kind.recipeStray);
        below += kind.belowThinned;
    }
    Figure("budget_frames_coverage_below_thinned", below, "files");
    Figure("budget_shortfalls", worse, "count");
    return worse == 0;
}

bool Dashes(const std::vector<DashedLines> &lines)
{
    const scan::Profile &profile = scan::DefaultProfile();
    int more = 0;
    double ours = 0, recipe = 0, lowest = 100, stray = 0;
    for (const DashedLines &line : lines) {
        const auto prepared = scan::PrepareFrame(line.dashed.points, profile);
        const auto whole = FixedRecipe(line.whole);
        const scan::Figures f = scan::Measure(prepared, line.dashed.points, profile);
        more += prepared.size() > whole.size();
        ours += double(prepared.size());
        recipe += double(whole.size());
        lowest = std::min(lowest, f.coverage);
        stray = std::max(stray, f.stray);
    }
    std::printf(
        "dashes: %zu frames, %.0f points ours, %.0f the recipe's lines drawn whole, lowest coverage %.2f %%, "
        "largest stray %.3f %%\n",
        lines.size(), ours, recipe, lowest, stray);
    Figure("dashes_points_ours", ours, "points");
    Figure("dashes_points_recipe_whole", recipe, "points");
    Figure("dashes_frames_above_recipe_whole", more, "files");
    Figure("dashes_lowest_coverage_pct", lowest, "%");
    Figure("dashes_largest_stray_pct", stray, "%");
    return more == 0;
}

} // namespace

bool BudgetFigures(bool quick)
{
    const bool budget = OverBudget(MakeDrawings(quick ? 3 : 20));
    const bool dashes = Dashes(MakeDashedLines(quick ? 5 : 40));
    std::cout << std::flush;
    if (!budget || !dashes)
        std::cerr << "the refresh floor or the dashes fell short of the recipe\n";
    return budget && dashes;
}

} // namespace bench
