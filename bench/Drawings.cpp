#include "Drawings.h"

#include "Recipe.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

namespace bench {

namespace {

struct Xy {
    double x, y;
};
using Outline = std::vector<Xy>; // a polyline; closed when its ends meet

// Deterministic across standard libraries: the engine is fixed by the
// standard, the mapping to a range is ours.
class Random {
public:
    explicit Random(unsigned seed) : engine_(seed) {}
    double Between(double low, double high) { return low + (high - low) * (engine_() / 4294967296.0); }
    int Below(int count) { return int(engine_() % std::uint32_t(count)); }

private:
    std::mt19937 engine_;
};

Outline Arc(double cx, double cy, double rx, double ry, double from, double to, int pieces)
{
    Outline arc;
    for (int k = 0; k <= pieces; ++k) {
        const double t = from + (to - from) * k / pieces;
        arc.push_back({cx + rx * std::cos(t), cy + ry * std::sin(t)});
    }
    return arc;
}

Outline Polygon(std::initializer_list<Xy> corners)
{
    Outline outline(corners);
    outline.push_back(outline.front());
    return outline;
}

// One glyph of a simple outline font in a unit box (0..1 by 0..1.4), as
// font outlines come: straight edges and arcs cut into short pieces.
std::vector<Outline> Glyph(int which)
{
    constexpr double pi = std::numbers::pi;
    switch (which % 6) {
    case 0: // O
        return {Arc(0.5, 0.7, 0.5, 0.7, 0, 2 * pi, 40), Arc(0.5, 0.7, 0.3, 0.5, 0, 2 * pi, 32)};
    case 1: // L
        return {Polygon({{0, 0}, {1, 0}, {1, 0.2}, {0.22, 0.2}, {0.22, 1.4}, {0, 1.4}})};
    case 2: // A
        return {Polygon({{0, 0}, {0.2, 0}, {0.3, 0.4}, {0.7, 0.4}, {0.8, 0}, {1, 0}, {0.6, 1.4}, {0.4, 1.4}}),
                Polygon({{0.35, 0.6}, {0.65, 0.6}, {0.5, 1.1}})};
    case 3: { // D
        Outline outer = {{0, 0}, {0.4, 0}};
        for (const Xy &p : Arc(0.4, 0.7, 0.6, 0.7, -pi / 2, pi / 2, 24))
            outer.push_back(p);
        outer.push_back({0, 1.4});
        outer.push_back({0, 0});
        Outline inner = {{0.2, 0.2}, {0.4, 0.2}};
        for (const Xy &p : Arc(0.4, 0.7, 0.4, 0.5, -pi / 2, pi / 2, 18))
            inner.push_back(p);
        inner.push_back({0.2, 1.2});
        inner.push_back({0.2, 0.2});
        return {outer, inner};
    }
    case 4: // E
        return {Polygon({{0, 0},
                         {1, 0},
                         {1, 0.2},
                         {0.22, 0.2},
                         {0.22, 0.6},
                         {0.8, 0.6},
                         {0.8, 0.8},
                         {0.22, 0.8},
                         {0.22, 1.2},
                         {1, 1.2},
                         {1, 1.4},
                         {0, 1.4}})};
    default: { // S, a ribbon of two arcs
        Outline s = Arc(0.5, 1.05, 0.45, 0.35, 0, 1.5 * pi, 28);
        for (const Xy &p : Arc(0.5, 0.35, 0.45, 0.35, 0.5 * pi, -pi, 28))
            s.push_back(p);
        return {s};
    }
    }
}

ilda::Point Make(double x, double y, bool lit, ilda::Color color)
{
    ilda::Point point;
    point.x = static_cast<std::int16_t>(std::lround(std::clamp(x, -32768.0, 32767.0)));
    point.y = static_cast<std::int16_t>(std::lround(std::clamp(y, -32768.0, 32767.0)));
    point.status = lit ? 0 : ilda::kBlankingBit;
    point.color = lit ? color : 0;
    return point;
}

// Outlines as another laser program sends them unprepared: a blanked jump
// to each outline's start, then its corners lit, nothing more.
std::vector<ilda::Point> Raw(const std::vector<Outline> &outlines, const std::vector<ilda::Color> &colors)
{
    std::vector<ilda::Point> points;
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        const Outline &outline = outlines[i];
        points.push_back(Make(outline[0].x, outline[0].y, false, 0));
        for (std::size_t k = 1; k < outline.size(); ++k)
            points.push_back(Make(outline[k].x, outline[k].y, true, colors[i % colors.size()]));
    }
    return points;
}

const std::vector<ilda::Color> kColors = {ilda::Rgb(255, 0, 0), ilda::Rgb(0, 255, 0), ilda::Rgb(0, 0, 255),
                                          ilda::Rgb(255, 255, 0), ilda::Rgb(255, 255, 255)};

// A word of glyphs across the frame, of a random size and place.
std::vector<ilda::Point> Glyphs(Random &random)
{
    const int letters = 2 + random.Below(6);
    const double size = random.Between(4000, 52000 / letters);
    const double left = random.Between(-30000, 30000 - letters * size * 1.2);
    const double bottom = random.Between(-30000, 30000 - size * 1.4);
    std::vector<Outline> outlines;
    for (int l = 0; l < letters; ++l)
        for (Outline outline : Glyph(random.Below(6))) {
            for (Xy &p : outline)
                p = {left + (l * 1.2 + p.x) * size, bottom + p.y * size};
            outlines.push_back(outline);
        }
    return Raw(outlines, {kColors[std::size_t(random.Below(5))]});
}

// Many short strokes: lines, zigzags, small rings and scribbles, and dots.
std::vector<ilda::Point> ManyStrokes(Random &random)
{
    std::vector<Outline> outlines;
    const int count = 20 + random.Below(120);
    for (int i = 0; i < count; ++i) {
        const double x = random.Between(-30000, 30000), y = random.Between(-30000, 30000);
        const double size = random.Between(300, 9000);
        switch (random.Below(5)) {
        case 0: outlines.push_back({{x, y}, {x + random.Between(-size, size), y + random.Between(-size, size)}}); break;
        case 1: {
            Outline zigzag;
            for (int k = 0; k < 6; ++k)
                zigzag.push_back({x + k * size / 5, y + (k % 2) * size / 3});
            outlines.push_back(zigzag);
            break;
        }
        case 2:
            outlines.push_back(Arc(x, y, size / 2, size / 2, 0, 2 * std::numbers::pi, 16 + random.Below(24)));
            break;
        case 3: {
            Outline scribble = {{x, y}};
            for (int k = 0; k < 8; ++k)
                scribble.push_back({scribble.back().x + random.Between(-size, size) / 3,
                                    scribble.back().y + random.Between(-size, size) / 3});
            outlines.push_back(scribble);
            break;
        }
        default: outlines.push_back({{x, y}, {x, y}}); break;
        }
    }
    return Raw(outlines, kColors);
}

// A few parallel dashed lines across the frame.
DashedLines Dashed(Random &random)
{
    DashedLines lines{{"dashes", {}}, {}};
    const double angle = random.Between(0, std::numbers::pi), dash = random.Between(900, 4000);
    const double gap = random.Between(700, 3000), length = random.Between(20000, 55000);
    const double dx = std::cos(angle), dy = std::sin(angle);
    const int count = 1 + random.Below(4);
    for (int l = 0; l < count; ++l) {
        const double x0 = -length / 2 * dx - (l * 6000 - 9000) * dy, y0 = -length / 2 * dy + (l * 6000 - 9000) * dx;
        auto at = [&](double s, bool lit) { return Make(x0 + s * dx, y0 + s * dy, lit, kColors[4]); };
        for (double s = 0; s + dash <= length; s += dash + gap) {
            lines.dashed.points.push_back(at(s, false));
            lines.dashed.points.push_back(at(s + dash, true));
        }
        lines.whole.push_back(at(0, false));
        lines.whole.push_back(lines.dashed.points.back());
    }
    return lines;
}

} // namespace

std::vector<DashedLines> MakeDashedLines(int count, unsigned seed)
{
    Random random(seed);
    std::vector<DashedLines> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(Dashed(random));
    return lines;
}

std::vector<Drawing> MakeDrawings(int count, unsigned seed)
{
    Random random(seed);
    std::vector<Drawing> drawings;
    for (int i = 0; i < count; ++i)
        drawings.push_back({"glyphs", Glyphs(random)});
    for (int i = 0; i < count; ++i)
        drawings.push_back({"strokes", ManyStrokes(random)});
    for (int i = 0; i < count; ++i)
        drawings.push_back({"prepared", FixedRecipe(drawings[std::size_t(i % 2 == 0 ? i : count + i)].points)});
    return drawings;
}

} // namespace bench
