// The rules a setup keeps, its file's text, and loading and saving it.
#include "projector/Setup.h"

#include "dac/Stream.h"
#include "projector/Json.h"
#include "projector/Polygon.h"
#include "rtl/SaveFile.h"
#include "rtl/SysUtils.h"

#include <cmath>
#include <fstream>
#include <sstream>

namespace projector {

namespace {

struct Problem {
    std::string path;
    std::string what;
};

std::string Item(const std::string &path, std::size_t k)
{
    return path + "[" + std::to_string(k) + "]";
}

// value within [low, high]; above low only when open.
void Range(const std::string &path, double value, double low, double high, bool open = false)
{
    if (std::isfinite(value) && (open ? value > low : value >= low) && value <= high)
        return;
    throw Problem{path, std::string("must be ") + (open ? "above " : "from ") + JsonNumber(low) +
                            (open ? " and at most " : " to ") + JsonNumber(high) + ", not " + JsonNumber(value)};
}

void CheckScanner(const scan::Profile &p)
{
    Range("scanner.rate", p.rate, 0, 1e6, true);
    Range("scanner.cutoff", p.cutoff, 0, p.rate / 2, true);
    Range("scanner.litStep", p.litStep, 0, 100, true);
    Range("scanner.blankStep", p.blankStep, 0, 100, true);
    Range("scanner.tolerance", p.tolerance, 0, 100, true);
    for (std::size_t c = 0; c < 3; ++c)
        Range(Item("scanner.colorDelay", c), p.colorDelay[c], 0, scan::kMostColorDelay);
}

void CheckColor(const ColorSetup &color)
{
    Range("color.brightness", color.brightness, 0, kMostBrightness);
    const char *names[] = {"color.red", "color.green", "color.blue"};
    for (std::size_t c = 0; c < 3; ++c) {
        const Channel &channel = color.channels[c];
        const std::string path = names[c];
        Range(path + ".gain", channel.gain, 0, kMostGain);
        Range(path + ".min", channel.min, 0, kMostMin);
        if (!channel.levels) {
            Range(path + ".curve", channel.gamma, 0.1, 10);
            continue;
        }
        for (std::size_t k = 0; k < 5; ++k) {
            Range(Item(path + ".curve", k), (*channel.levels)[k], 0, 100);
            if (k > 0 && (*channel.levels)[k] < (*channel.levels)[k - 1])
                throw Problem{Item(path + ".curve", k), "must not be below the level before it"};
        }
    }
}

void CheckCorner(const std::string &path, Point2 p)
{
    Range(path + "[0]", p.x, -kEdge, kEdge);
    Range(path + "[1]", p.y, -kEdge, kEdge);
}

void CheckGeometry(const Geometry &g)
{
    Range("geometry.size[0]", g.size.x, 0, 1000, true);
    Range("geometry.size[1]", g.size.y, 0, 1000, true);
    Range("geometry.offset[0]", g.offset.x, -2 * kEdge, 2 * kEdge);
    Range("geometry.offset[1]", g.offset.y, -2 * kEdge, 2 * kEdge);
    Range("geometry.rotate", g.rotate, -360, 360);
    for (std::size_t k = 0; k < 4; ++k)
        CheckCorner(Item("geometry.keystone", k), g.keystone[k]);
    for (std::size_t k = 0; k < 4; ++k)
        if (Cross(g.keystone[k], g.keystone[(k + 1) % 4], g.keystone[(k + 2) % 4]) <= 0)
            throw Problem{"geometry.keystone",
                          "the corners must make a convex shape, in the order bottom-left, "
                          "bottom-right, top-right, top-left"};
}

void CheckZone(const Zone &zone, const std::string &path)
{
    if (zone.kind == ZoneKind::Dim)
        Range(path + ".brightness", zone.brightness, 0, 100);
    const std::string points = path + ".points";
    if (zone.points.size() < 3 || zone.points.size() > 1000)
        throw Problem{points, "must hold 3 to 1000 corners, not " + std::to_string(zone.points.size())};
    for (std::size_t k = 0; k < zone.points.size(); ++k)
        CheckCorner(Item(points, k), zone.points[k]);
    if (CrossesItself(zone.points))
        throw Problem{points, "the polygon crosses itself"};
}

void CheckLimits(const Limits &l)
{
    Range("limits.left", l.left, -kEdge, kEdge);
    Range("limits.bottom", l.bottom, -kEdge, kEdge);
    Range("limits.right", l.right, l.left, kEdge, true);
    Range("limits.top", l.top, l.bottom, kEdge, true);
}

} // namespace

rtl::Result<void> CheckSetup(const Setup &setup)
{
    try {
        CheckScanner(setup.scanner);
        CheckColor(setup.color);
        CheckGeometry(setup.geometry);
        if (setup.zones.size() > 1000)
            throw Problem{"zones", "more than 1000 zones"};
        for (std::size_t k = 0; k < setup.zones.size(); ++k)
            CheckZone(setup.zones[k], Item("zones", k));
        CheckLimits(setup.limits);
        std::string problem;
        if (setup.dac && !dac::ParseTarget(*setup.dac, problem))
            throw Problem{"dac", problem};
    } catch (const Problem &problem) {
        return rtl::Fail(problem.path + ": " + problem.what, kRefused);
    }
    return {};
}

rtl::Result<Setup> LoadSetup(const std::string &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return rtl::Fail("Cannot open file " + fileName);
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMostJsonBytes)
            return rtl::Fail(fileName + ": longer than " + std::to_string(kMostJsonBytes) + " bytes", kRefused);
    }
    if (in.bad())
        return rtl::Fail("Cannot read file " + fileName);
    auto setup = SetupFromJson(text);
    if (!setup)
        return rtl::Fail(fileName + ": " + setup.message(), setup.failure().code);
    return setup;
}

rtl::Result<void> SaveSetup(const Setup &setup, const std::string &fileName, const std::string &shownName,
                            rtl::TSaveFileStream::TExisting existing)
{
    if (auto checked = CheckSetup(setup); !checked)
        return checked;
    const std::string text = SetupToJson(setup);
    try {
        rtl::TSaveFileStream stream(fileName, shownName, existing);
        stream.WriteBuffer(text.data(), text.size());
        stream.Commit();
    } catch (const rtl::EFileExistsError &error) {
        return rtl::Fail(error.what(), kAlreadyThere);
    } catch (const std::exception &error) {
        return rtl::Fail(error.what());
    }
    return {};
}

} // namespace projector
