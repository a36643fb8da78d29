// A scanner as the scanner model sees it: how many points a second it is
// fed, how fast its mirrors follow, and the limits and tolerance that
// prepared frames are held to. Profiles are values: the built-in ones and
// any other the user describes go through the same code.
#pragma once

#include "rtl/Result.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace scan {

// Percentages are of full scale, the 65,536 units of an ILDA axis.
constexpr double kFullScale = 65536.0;
constexpr double Units(double percent)
{
    return percent * kFullScale / 100.0;
}

struct Profile {
    std::string name;
    double rate = 30000;    // points a second
    double cutoff = 2500;   // the scanner's cutoff frequency, Hz
    double litStep = 1.6;   // largest step into a lit point, %
    double blankStep = 8;   // largest step into a blanked point, %
    double tolerance = 0.5; // %
    std::array<double, 3> colorDelay{
        0, 0, 0}; // µs, red, green, blue: how much later each laser switches than the mirrors move
    // A refresh floor: no prepared frame longer than rate / minHz points, nor maxPoints.
    std::optional<double> minHz{};
    std::optional<std::size_t> maxPoints{};

    // The share of the way to its target that the mirror moves each sample.
    double MirrorShare() const;
    // colorDelay in whole points at the profile's rate, red, green, blue.
    std::array<long, 3> ColorDelayPoints() const;
    // The most points a prepared frame may have, when the profile sets a floor.
    std::optional<std::size_t> PointBudget() const;
    bool operator==(const Profile &) const = default;
};

// ilda-30k (the default) and ilda-12k.
const std::vector<Profile> &BuiltInProfiles();
const Profile &DefaultProfile();
std::optional<Profile> FindProfile(std::string_view name);

// What a command line says of a profile: a name, and any value given on its
// own, which overrides the named (or default) profile's.
struct ProfileChoice {
    std::optional<std::string> name;
    std::optional<std::string> rate, cutoff, litStep, blankStep, tolerance;
    std::optional<std::string> colorDelay; // one value for all lasers, or "R,G,B"
    std::optional<std::string> minHz, maxPoints;
};

// The largest colour delay taken, µs: far beyond any projector's, and it
// keeps the dwell that compensates it from swelling frames.
constexpr double kMostColorDelay = 1000;

// The profile chosen, or the problem with the choice as a sentence. A rate
// without a cutoff takes R/12: a scanner's point rate is commonly twelve
// times its bandwidth.
std::variant<Profile, std::string> ResolveProfile(const ProfileChoice &choice);

// A point rate as an option gives it: points a second from kLeastPointRate
// to kMostPointRate (above any DAC's, within a 32-bit field). The one rule
// for --rate, a profile's rate and the emulator's --max-rate.
constexpr double kLeastPointRate = 1;
constexpr double kMostPointRate = 10'000'000;
rtl::Result<double> ParsePointRate(const std::string &option, const std::string &text);

} // namespace scan
