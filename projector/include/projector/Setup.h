// A projector's setup as a value: the scanner it has, how its lasers
// answer, how it hangs, where the beam may go and which DAC feeds it. It is
// read from and written to a JSON file (a `version` and every key checked);
// a dialog loads one, edits the fields and saves it again.
#pragma once

#include "rtl/Result.h"
#include "rtl/SaveFile.h"
#include "scan/Profile.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace projector {

constexpr int kSetupVersion = 1;
// The failure code of a setup refused for what it says (not for a file
// that cannot be read): the command line's exit status for bad input.
constexpr int kRefused = 2;

// One laser's answer to the level it is sent.
struct Channel {
    double gain = 1; // 0 to 1
    double min = 0;  // 0 to 1: the level at which the diode starts to light
    // A gamma, or the levels (%) sent for 0, 25, 50, 75 and 100 %.
    double gamma = 1;
    std::optional<std::array<double, 5>> levels;
    bool operator==(const Channel &) const = default;
};

struct ColorSetup {
    std::array<Channel, 3> channels; // red, green, blue
    double brightness = 100;         // %
    bool operator==(const ColorSetup &) const = default;
};

struct Point2 {
    double x = 0;
    double y = 0;
    bool operator==(const Point2 &) const = default;
};

constexpr double kEdge = 32767;

// The ranges CheckSetup holds colours to, for a dialog's controls too.
constexpr double kMostBrightness = 100; // %, from 0
constexpr double kMostGain = 1;         // from 0
constexpr double kMostMin = 1;          // from 0

struct Geometry {
    bool flipX = false, flipY = false, swapXY = false;
    Point2 size{100, 100}; // %
    Point2 offset;         // ILDA units
    double rotate = 0;     // degrees, counterclockwise
    // Where the square's corners land: bottom-left, bottom-right, top-right,
    // top-left (Y up).
    std::array<Point2, 4> keystone{{{-kEdge, -kEdge}, {kEdge, -kEdge}, {kEdge, kEdge}, {-kEdge, kEdge}}};
    bool operator==(const Geometry &) const = default;
};

enum class ZoneKind { Blank, Dim };

struct Zone {
    ZoneKind kind = ZoneKind::Blank;
    double brightness = 0; // %, the most a dim zone lets through
    std::vector<Point2> points;
    bool operator==(const Zone &) const = default;
};

struct Limits {
    double left = -kEdge, bottom = -kEdge, right = kEdge, top = kEdge;
    bool operator==(const Limits &) const = default;
};

struct Setup {
    scan::Profile scanner = scan::DefaultProfile();
    ColorSetup color;
    Geometry geometry;
    std::vector<Zone> zones;
    Limits limits;
    std::optional<std::string> dac; // etherdream:HOST[:PORT] or idn:HOST[:PORT]
    bool operator==(const Setup &) const = default;
};

// The setup a file's text describes, or the first problem with it, the key
// named as a path ("zones[1].points: the polygon crosses itself").
rtl::Result<Setup> SetupFromJson(std::string_view text);
// The file's text for setup; SetupFromJson reads it back as it was.
std::string SetupToJson(const Setup &setup);
// The problem with a setup made or edited in code (what the file reading
// would refuse), or nothing.
rtl::Result<void> CheckSetup(const Setup &setup);

// A setup file read whole; failures name the file.
rtl::Result<Setup> LoadSetup(const std::string &fileName);
// Written through the saving stream, the file named shownName in messages:
// a failed save keeps the file that was there; Keep refuses to replace one
// (the failure's code is then kAlreadyThere).
constexpr int kAlreadyThere = 3;
rtl::Result<void> SaveSetup(const Setup &setup, const std::string &fileName, const std::string &shownName,
                            rtl::TSaveFileStream::TExisting existing);

} // namespace projector
