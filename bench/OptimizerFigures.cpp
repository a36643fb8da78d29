// The optimiser against the fixed recipe on the same generated frames, and
// how fast it prepares them.
#include "Drawings.h"
#include "Figures.h"
#include "Recipe.h"

#include "scan/Figures.h"
#include "scan/Prepare.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>

namespace bench {

bool Holds(const scan::Figures &figures, const scan::Profile &profile)
{
    return figures.coverage >= 99.5 && figures.stray <= 0.6 && figures.strayShare <= 0.5 &&
           figures.litStepMax <= profile.litStep && figures.blankStepMax <= profile.blankStep;
}

bool OptimizerFigures(bool quick)
{
    const scan::Profile &profile = scan::DefaultProfile();
    const std::vector<Drawing> drawings = MakeDrawings(quick ? 3 : 20);
    double ours = 0, recipe = 0, source = 0;
    double lowestCoverage = 100, recipeLowestCoverage = 100, largestStray = 0, recipeLargestStray = 0;
    double largestShare = 0, recipeLargestShare = 0, mostAdded = 0;
    int failed = 0, more = 0;
    std::printf("%-9s %7s %7s %8s %7s %7s %8s %7s\n", "frame", "source", "recipe", "coverage", "stray", "ours",
                "coverage", "stray");
    for (std::size_t i = 0; i < drawings.size(); ++i) {
        const Drawing &drawing = drawings[i];
        const auto prepared = scan::PrepareFrame(drawing.points, profile);
        const auto baseline = FixedRecipe(drawing.points);
        const auto twice = scan::PrepareFrame(prepared, profile);
        const scan::Figures f = scan::Measure(prepared, drawing.points, profile);
        const scan::Figures r = scan::Measure(baseline, drawing.points, profile);
        const bool holds = Holds(f, profile) && Holds(scan::Measure(twice, prepared, profile), profile) &&
                           !prepared.empty() && prepared.front().Blanked();
        failed += !holds;
        more += prepared.size() > baseline.size();
        std::printf("%-9s %7zu %7zu %8.3f %7.3f %7zu %8.3f %7.3f%s\n", (drawing.kind + std::to_string(i)).c_str(),
                    drawing.points.size(), baseline.size(), r.coverage, r.stray, prepared.size(), f.coverage, f.stray,
                    holds ? "" : "  (falls short)");
        source += double(drawing.points.size());
        ours += double(prepared.size());
        recipe += double(baseline.size());
        mostAdded = std::max(mostAdded, 100.0 * (double(twice.size()) / double(prepared.size()) - 1));
        lowestCoverage = std::min(lowestCoverage, f.coverage);
        recipeLowestCoverage = std::min(recipeLowestCoverage, r.coverage);
        largestStray = std::max(largestStray, f.stray);
        recipeLargestStray = std::max(recipeLargestStray, r.stray);
        largestShare = std::max(largestShare, f.strayShare);
        recipeLargestShare = std::max(recipeLargestShare, r.strayShare);
    }
    std::cout << std::flush;
    Figure("optimize_points_ours", ours, "points");
    Figure("optimize_points_recipe", recipe, "points");
    Figure("optimize_points_saved_pct", 100 * (1 - ours / recipe), "%");
    Figure("optimize_files_above_recipe", more, "files");
    Figure("optimize_files_short_of_quality", failed, "files");
    Figure("optimize_lowest_coverage_pct", lowestCoverage, "%");
    Figure("optimize_largest_stray_pct", largestStray, "%");
    Figure("optimize_largest_stray_share_pct", largestShare, "%");
    Figure("recipe_lowest_coverage_pct", recipeLowestCoverage, "%");
    Figure("recipe_largest_stray_pct", recipeLargestStray, "%");
    Figure("recipe_largest_stray_share_pct", recipeLargestShare, "%");
    Figure("optimize_again_added_pct", mostAdded, "%");

    // Speed: the source points prepared a second, best of three rounds.
    using Clock = std::chrono::steady_clock;
    double best = 1e300;
    std::size_t sink = 0;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        for (const Drawing &drawing : drawings)
            sink += scan::PrepareFrame(drawing.points, profile).size();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    Figure("optimize_mpts", sink > 0 ? source / best / 1e6 : 0, "Mpts/s");
    if (failed > 0 || more > 0 || ours > 0.85 * recipe) {
        std::cerr << "the optimiser fell short: " << failed << " frames below the quality, " << more
                  << " above the recipe's points\n";
        return false;
    }
    return BudgetFigures(quick);
}

} // namespace bench
