#include "scan/Profile.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace scan {

double Profile::MirrorShare() const
{
    return 1.0 - std::exp(-2.0 * std::numbers::pi * cutoff / rate);
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

} // namespace

std::variant<Profile, std::string> ResolveProfile(const ProfileChoice &choice)
{
    Profile profile = DefaultProfile();
    if (choice.name) {
        const auto named = FindProfile(*choice.name);
        if (!named) {
            std::string known;
            for (const Profile &builtIn : BuiltInProfiles())
                known += (known.empty() ? "" : ", ") + builtIn.name;
            return "unknown profile " + *choice.name + " (" + known + ")";
        }
        profile = *named;
    }
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
