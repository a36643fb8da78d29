#include "projector/Patterns.h"

#include <cmath>
#include <numbers>

namespace projector {

namespace {

constexpr ilda::Color kWhite = ilda::Rgb(255, 255, 255);

class Drawing {
public:
    void MoveTo(double x, double y) { Add(x, y, ilda::kBlankingBit, 0); }
    void LineTo(double x, double y, ilda::Color color) { Add(x, y, 0, color); }
    std::vector<ilda::Point> Take() { return std::move(points_); }

private:
    void Add(double x, double y, std::uint8_t status, ilda::Color color)
    {
        ilda::Point p;
        p.x = static_cast<std::int16_t>(std::lround(x));
        p.y = static_cast<std::int16_t>(std::lround(y));
        p.status = status;
        p.color = color;
        points_.push_back(p);
    }
    std::vector<ilda::Point> points_;
};

std::vector<ilda::Point> Tuning()
{
    constexpr double r = 24000;
    Drawing d;
    d.MoveTo(-r, -r);
    d.LineTo(r, -r, kWhite);
    d.LineTo(r, r, kWhite);
    d.LineTo(-r, r, kWhite);
    d.LineTo(-r, -r, kWhite);
    d.LineTo(r, r, kWhite); // the diagonals
    d.MoveTo(r, -r);
    d.LineTo(-r, r, kWhite);
    d.MoveTo(r, 0);
    constexpr int kSides = 96;
    for (int k = 1; k <= kSides; ++k) {
        const double a = 2 * std::numbers::pi * k / kSides;
        d.LineTo(r * std::cos(a), r * std::sin(a), kWhite);
    }
    return d.Take();
}

std::vector<ilda::Point> Grid()
{
    constexpr double edge = 30000, step = 7500;
    Drawing d;
    for (int k = 0; k <= 8; ++k) { // rows, each the other way from the last
        const double y = -edge + k * step, from = k % 2 ? edge : -edge;
        d.MoveTo(from, y);
        d.LineTo(-from, y, kWhite);
    }
    for (int k = 0; k <= 8; ++k) {
        const double x = -edge + k * step, from = k % 2 ? edge : -edge;
        d.MoveTo(x, from);
        d.LineTo(x, -from, kWhite);
    }
    return d.Take();
}

// A row for red, green, blue and white, each of five bars at 10, 25, 50,
// 75 and 100 %: enough to set each channel's minimum, curve and gain.
std::vector<ilda::Point> Colors()
{
    const ilda::Color hues[] = {ilda::Rgb(255, 0, 0), ilda::Rgb(0, 255, 0), ilda::Rgb(0, 0, 255), kWhite};
    const double levels[] = {0.10, 0.25, 0.50, 0.75, 1.00};
    Drawing d;
    for (int row = 0; row < 4; ++row) {
        const double y = 22500 - row * 15000;
        for (int bar = 0; bar < 5; ++bar) {
            const double left = -30000 + bar * 12500, right = left + 10000;
            ilda::Color color = 0;
            for (int shift : {0, 8, 16})
                color |= static_cast<ilda::Color>(std::lround((hues[row] >> shift & 0xFF) * levels[bar])) << shift;
            d.MoveTo(left, y - 2000);
            for (int line = 0; line < 5; ++line) { // the bar filled by a zigzag
                const double at = y - 2000 + line * 1000;
                d.LineTo(line % 2 ? left : right, at, color);
                if (line < 4)
                    d.LineTo(line % 2 ? left : right, at + 1000, color);
            }
        }
    }
    return d.Take();
}

} // namespace

std::optional<Pattern> FindPattern(std::string_view name)
{
    for (const Pattern p : {Pattern::Tuning, Pattern::Grid, Pattern::Colors})
        if (name == PatternName(p))
            return p;
    return std::nullopt;
}

const char *PatternName(Pattern pattern)
{
    switch (pattern) {
    case Pattern::Tuning: return "tuning";
    case Pattern::Grid: return "grid";
    case Pattern::Colors: return "colors";
    }
    return "";
}

std::vector<ilda::Point> DrawPattern(Pattern pattern)
{
    switch (pattern) {
    case Pattern::Tuning: return Tuning();
    case Pattern::Grid: return Grid();
    case Pattern::Colors: return Colors();
    }
    return {};
}

} // namespace projector
