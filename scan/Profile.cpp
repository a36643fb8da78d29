#include "scan/Profile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace scan {

double Profile::MirrorShare() const
{
    return 1.0 - std::exp(-2.0 * std::numbers::pi * cutoff / rate);
}

std::array<long, 3> Profile::ColorDelayPoints() const
{
    // Far beyond any frame; keeps an absurd rate or delay from overflowing.
    constexpr double kMost = 1e9;
    std::array<long, 3> points{};
    for (std::size_t c = 0; c < points.size(); ++c) {
        const double whole = std::floor(colorDelay[c] * rate / 1e6 + 0.5);
        points[c] = whole >= -kMost && whole <= kMost ? std::lround(whole) : 0;
    }
    return points;
}

std::optional<std::size_t> Profile::PointBudget() const
{
    std::optional<std::size_t> budget = maxPoints;
    if (minHz) {
        const double most = std::floor(rate / *minHz);
        const auto points = most >= 65535 ? std::size_t{65535} : std::size_t(std::max(most, 0.0));
        budget = budget ? std::min(*budget, points) : points;
    }
    return budget;
}

const std::vector<Profile> &BuiltInProfiles()
{
    static const std::vector<Profile> profiles = {
        {"ilda-30k", 30000, 2500, 1.6, 8, 0.5},
        {"ilda-12k", 12000, 1000, 1.6, 8, 0.5},
    };
    return profiles;
}

const Profile &DefaultProfile()
{
    return BuiltInProfiles().front();
}

std::optional<Profile> FindProfile(std::string_view name)
{
    for (const Profile &profile : BuiltInProfiles())
        if (profile.name == name)
            return profile;
    return std::nullopt;
}

namespace {

// A positive finite number, or nothing.
std::optional<double> PositiveNumber(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

// A number within [0, kMostColorDelay], or nothing.
std::optional<double> DelayNumber(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !(value >= 0 && value <= kMostColorDelay))
        return std::nullopt;
    return value + 0.0; // "-0" is 0
}

// "D" for every laser, or "R,G,B".
std::optional<std::array<double, 3>> ParseColorDelay(const std::string &text)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == ',')
            parts.emplace_back();
        else
            parts.back().push_back(c);
    }
    if (parts.size() != 1 && parts.size() != 3)
        return std::nullopt;
    std::array<double, 3> delay{};
    for (std::size_t c = 0; c < delay.size(); ++c) {
        const auto value = DelayNumber(parts[parts.size() == 1 ? 0 : c]);
        if (!value)
            return std::nullopt;
        delay[c] = *value;
    }
    return delay;
}

std::string ColorDelayProblem(const std::string &text)
{
    return "--color-delay takes microseconds from 0 to " + std::to_string(int(kMostColorDelay)) +
           ", one value or R,G,B, not " + text;
}

// The built-in profile named (the default one for no name).
std::variant<Profile, std::string> NamedProfile(const std::optional<std::string> &name)
{
    if (!name)
        return DefaultProfile();
    if (const auto named = FindProfile(*name))
        return *named;
    std::string known;
    for (const Profile &builtIn : BuiltInProfiles())
        known += (known.empty() ? "" : ", ") + builtIn.name;
    return "unknown profile " + *name + " (" + known + ")";
}

// --min-hz and --max-points; a floor that leaves no point is refused.
std::optional<std::string> TakeFloor(const ProfileChoice &choice, Profile &profile)
{
    if (choice.minHz) {
        const auto hz = PositiveNumber(*choice.minHz);
        if (!hz)
            return "--min-hz takes frames a second above 0, not " + *choice.minHz;
        profile.minHz = *hz;
    }
    if (choice.maxPoints) {
        const auto points = PositiveNumber(*choice.maxPoints);
        if (!points || *points != std::floor(*points) || *points > 65535)
            return "--max-points takes a whole number of points from 1 to 65535, not " + *choice.maxPoints;
        profile.maxPoints = std::size_t(*points);
    }
    if (profile.PointBudget() == std::size_t{0})
        return "--min-hz " + *choice.minHz + " leaves no point for a frame at " + std::to_string(long(profile.rate)) +
               " points a second";
    return std::nullopt;
}

} // namespace

std::variant<Profile, std::string> ResolveProfile(const ProfileChoice &choice)
{
    auto named = NamedProfile(choice.name);
    if (auto *problem = std::get_if<std::string>(&named))
        return *problem;
    Profile profile = std::get<Profile>(named);
    struct Field {
        const std::optional<std::string> &text;
        double &value;
        const char *option;
    };
    const Field fields[] = {{choice.rate, profile.rate, "--rate"},
                            {choice.cutoff, profile.cutoff, "--cutoff"},
                            {choice.litStep, profile.litStep, "--lit-step"},
                            {choice.blankStep, profile.blankStep, "--blank-step"},
                            {choice.tolerance, profile.tolerance, "--tolerance"}};
    bool custom = false;
    if (choice.rate) {
        const auto rate = ParsePointRate("--rate", *choice.rate);
        if (!rate)
            return rate.message();
    }
    for (const Field &field : fields) {
        if (!field.text)
            continue;
        const auto value = PositiveNumber(*field.text);
        if (!value)
            return std::string(field.option) + " takes a number above 0, not " + *field.text;
        field.value = *value;
        custom = true;
    }
    if (choice.rate && !choice.cutoff)
        profile.cutoff = profile.rate / 12;
    if (custom)
        profile.name = "custom";
    // The lag is the projector's, not the scanner's: the profile keeps its name.
    if (choice.colorDelay) {
        const auto delay = ParseColorDelay(*choice.colorDelay);
        if (!delay)
            return ColorDelayProblem(*choice.colorDelay);
        profile.colorDelay = *delay;
    }
    if (const auto problem = TakeFloor(choice, profile))
        return *problem;
    return profile;
}

rtl::Result<double> ParsePointRate(const std::string &option, const std::string &text)
{
    const auto value = PositiveNumber(text);
    if (!value || *value < kLeastPointRate || *value > kMostPointRate)
        return rtl::Fail(option + " takes points a second from 1 to 10000000, not " + text);
    return *value;
}

} // namespace scan
