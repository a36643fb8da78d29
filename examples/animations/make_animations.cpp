// make-animations: writes a few multi-frame ILDA animations for trying the
// player, through ilda::SectionWriter (so the bytes are laid out by the one
// encoder the program has). Each frame is drawn as strokes: a blanked move
// to the stroke's start, then its lit points.
#include "ilda/Writing.h"
#include "rtl/Classes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace {

using ilda::Point;
constexpr double kPi = std::numbers::pi;

// A stroke in [-1, 1] coordinates: t runs from 0 to 1 along it.
struct Stroke {
    std::function<void(double t, double &x, double &y, double &z)> at;
    std::function<ilda::Color(double t)> color; // true colour
    std::uint8_t index = 0;                     // palette index
    int points = 60;
};

std::int16_t Scale(double v)
{
    return static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32000));
}

std::vector<Point> Draw(const std::vector<Stroke> &strokes)
{
    std::vector<Point> out;
    for (const Stroke &stroke : strokes) {
        double x, y, z;
        stroke.at(0, x, y, z);
        // The beam goes dark to the start and rests there a moment.
        for (int i = 0; i < 3; ++i) {
            Point move;
            move.x = Scale(x);
            move.y = Scale(y);
            move.z = Scale(z);
            move.status = ilda::kBlankingBit;
            out.push_back(move);
        }
        for (int i = 0; i <= stroke.points; ++i) {
            const double t = double(i) / stroke.points;
            stroke.at(t, x, y, z);
            Point p;
            p.x = Scale(x);
            p.y = Scale(y);
            p.z = Scale(z);
            p.colorIndex = stroke.index;
            p.color = stroke.color ? stroke.color(t) : 0;
            out.push_back(p);
        }
    }
    out.back().status |= ilda::kLastPointBit;
    return out;
}

ilda::Color Hue(double h)
{
    h = h - std::floor(h);
    auto channel = [&](double offset) {
        const double v = std::clamp(std::abs(std::fmod(h * 6 + offset, 6.0) - 3) - 1, 0.0, 1.0);
        return static_cast<std::uint8_t>(std::lround(v * 255));
    };
    return ilda::Rgb(channel(0), channel(4), channel(2));
}

ilda::Header FrameHeader(std::uint8_t format, const char *name, int number, int total)
{
    ilda::Header header;
    header.format = format;
    header.name = ilda::NameField(name);
    header.company = ilda::NameField("Lumivex");
    header.number = static_cast<std::uint16_t>(number);
    header.total = static_cast<std::uint16_t>(total);
    return header;
}

// Format 5: a rainbow spiral turning inside a ring that changes colour, and
// a small square circling them; three strokes with blanked moves between.
void Spiral(ilda::SectionWriter &file)
{
    const int frames = 90;
    for (int f = 0; f < frames; ++f) {
        const double turn = double(f) / frames;
        std::vector<Stroke> strokes;
        strokes.push_back({[turn](double t, double &x, double &y, double &z) {
                               const double a = t * 6 * kPi + turn * 2 * kPi;
                               x = 0.6 * t * std::cos(a);
                               y = 0.6 * t * std::sin(a);
                               z = 0;
                           },
                           [turn](double t) { return Hue(t + turn); }, 0, 240});
        strokes.push_back({[](double t, double &x, double &y, double &z) {
                               x = 0.85 * std::cos(t * 2 * kPi);
                               y = 0.85 * std::sin(t * 2 * kPi);
                               z = 0;
                           },
                           [turn](double) { return Hue(turn + 0.5); }, 0, 120});
        strokes.push_back({[turn](double t, double &x, double &y, double &z) {
                               const double cx = 0.72 * std::cos(-turn * 2 * kPi),
                                            cy = 0.72 * std::sin(-turn * 2 * kPi);
                               const int side = std::min(3, int(t * 4));
                               const double s = t * 4 - side;
                               const double corners[5][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
                               x = cx + 0.08 * (corners[side][0] + (corners[side + 1][0] - corners[side][0]) * s);
                               y = cy + 0.08 * (corners[side][1] + (corners[side + 1][1] - corners[side][1]) * s);
                               z = 0;
                           },
                           [](double) { return ilda::Rgb(255, 255, 255); }, 0, 40});
        file.AddFrame(FrameHeader(ilda::kFormat2dTrueColor, "spiral", f, frames), Draw(strokes));
    }
    file.AddEndMarker(FrameHeader(ilda::kFormat2dTrueColor, "spiral", frames, frames));
}

// Format 4: a turning cube (Z is in the file, the drawing ignores it), an
// edge colour each.
void Cube(ilda::SectionWriter &file)
{
    const int frames = 72;
    const int edges[12][2] = {{0, 1}, {1, 3}, {3, 2}, {2, 0}, {4, 5}, {5, 7},
                              {7, 6}, {6, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
    for (int f = 0; f < frames; ++f) {
        const double a = 2 * kPi * f / frames, b = a / 2 + 0.4;
        auto corner = [&](int i, double &x, double &y, double &z) {
            const double cx = (i & 1) ? 0.45 : -0.45, cy = (i & 2) ? 0.45 : -0.45, cz = (i & 4) ? 0.45 : -0.45;
            const double x1 = cx * std::cos(a) - cz * std::sin(a), z1 = cx * std::sin(a) + cz * std::cos(a);
            x = x1;
            y = cy * std::cos(b) - z1 * std::sin(b);
            z = cy * std::sin(b) + z1 * std::cos(b);
        };
        std::vector<Stroke> strokes;
        for (int e = 0; e < 12; ++e) {
            const int from = edges[e][0], to = edges[e][1];
            strokes.push_back({[corner, from, to](double t, double &x, double &y, double &z) {
                                   double x0, y0, z0, x1, y1, z1;
                                   corner(from, x0, y0, z0);
                                   corner(to, x1, y1, z1);
                                   x = x0 + (x1 - x0) * t;
                                   y = y0 + (y1 - y0) * t;
                                   z = z0 + (z1 - z0) * t;
                               },
                               [e](double) { return Hue(e / 12.0); }, 0, 20});
        }
        file.AddFrame(FrameHeader(ilda::kFormat3dTrueColor, "cube", f, frames), Draw(strokes));
    }
    file.AddEndMarker(FrameHeader(ilda::kFormat3dTrueColor, "cube", frames, frames));
}

// A palette section of eight colours, then indexed frames: a ball bouncing
// over a floor, in format 0 and format 1 frame by frame.
void Bounce(ilda::SectionWriter &file)
{
    const ilda::Color colors[] = {ilda::Rgb(0, 0, 0),       ilda::Rgb(255, 64, 0),  ilda::Rgb(255, 200, 0),
                                  ilda::Rgb(0, 220, 80),    ilda::Rgb(0, 160, 255), ilda::Rgb(200, 0, 255),
                                  ilda::Rgb(255, 255, 255), ilda::Rgb(255, 0, 120)};
    ilda::Header palette;
    palette.name = ilda::NameField("bounce");
    palette.company = ilda::NameField("Lumivex");
    file.AddPalette(palette, colors);

    const int frames = 60;
    for (int f = 0; f < frames; ++f) {
        const double t = double(f) / frames;
        const double height = std::abs(std::sin(t * 2 * kPi));
        const double squash = 1 + 0.35 * std::max(0.0, 0.25 - height) * 4;
        std::vector<Stroke> strokes;
        strokes.push_back({[](double s, double &x, double &y, double &z) {
                               x = -0.9 + 1.8 * s;
                               y = -0.7;
                               z = 0;
                           },
                           nullptr, 3, 30});
        strokes.push_back({[height, squash, t](double s, double &x, double &y, double &z) {
                               const double r = 0.18;
                               x = -0.6 + 1.2 * t + r * squash * std::cos(s * 2 * kPi);
                               y = -0.7 + r / squash + 1.1 * height + r / squash * std::sin(s * 2 * kPi);
                               z = 0;
                           },
                           nullptr, std::uint8_t(1 + f / 10 % 6), 48});
        const std::uint8_t format = f % 2 ? ilda::kFormat2dIndexed : ilda::kFormat3dIndexed;
        file.AddFrame(FrameHeader(format, "bounce", f, frames), Draw(strokes));
    }
    file.AddEndMarker(FrameHeader(ilda::kFormat3dIndexed, "bounce", frames, frames));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 || (argc == 2 && std::string(argv[1]).starts_with("-"))) {
        std::fputs("usage: make-animations [FOLDER]\n", stderr);
        return 2;
    }
    const std::filesystem::path folder = argc == 2 ? argv[1] : ".";
    const struct {
        const char *name;
        void (*make)(ilda::SectionWriter &);
    } animations[] = {{"spiral-format5.ild", Spiral}, {"cube-format4.ild", Cube}, {"bounce-palette.ild", Bounce}};
    try {
        std::filesystem::create_directories(folder);
        for (const auto &animation : animations) {
            ilda::SectionWriter file;
            animation.make(file);
            const std::string path = (folder / animation.name).string();
            file.SaveToFile(path);
            std::printf("%s\n", path.c_str());
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "make-animations: %s\n", error.what());
        return 1;
    }
    return 0;
}
