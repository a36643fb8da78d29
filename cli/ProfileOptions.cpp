#include "ProfileOptions.h"

#include <array>
#include <optional>

namespace cli {

namespace {

constexpr std::array<KnownOption, 9> kOptions{{
    {"--profile", true},
    {"--rate", true},
    {"--cutoff", true},
    {"--lit-step", true},
    {"--blank-step", true},
    {"--tolerance", true},
    {"--color-delay", true},
    {"--min-hz", true},
    {"--max-points", true},
}};

// Where each option's value goes, in the table's order.
std::optional<std::string> scan::ProfileChoice::*const kFields[] = {
    &scan::ProfileChoice::name,       &scan::ProfileChoice::rate,      &scan::ProfileChoice::cutoff,
    &scan::ProfileChoice::litStep,    &scan::ProfileChoice::blankStep, &scan::ProfileChoice::tolerance,
    &scan::ProfileChoice::colorDelay, &scan::ProfileChoice::minHz,     &scan::ProfileChoice::maxPoints,
};

} // namespace

std::span<const KnownOption> ProfileOptionTable()
{
    return kOptions;
}

std::vector<KnownOption> WithProfileOptions(std::initializer_list<KnownOption> own)
{
    std::vector<KnownOption> known(own);
    known.insert(known.end(), kOptions.begin(), kOptions.end());
    return known;
}

bool TakeProfileOption(const std::string &name, const std::string &value, scan::ProfileChoice &choice)
{
    for (std::size_t i = 0; i < kOptions.size(); ++i)
        if (name == kOptions[i].name) {
            choice.*kFields[i] = value;
            return true;
        }
    return false;
}

bool AnyProfileOption(const scan::ProfileChoice &choice)
{
    for (const auto field : kFields)
        if (choice.*field)
            return true;
    return false;
}

std::variant<scan::Profile, std::string> ProfileFromOptions(const ParsedArgs &parsed)
{
    scan::ProfileChoice choice;
    for (const auto &[name, value] : parsed.options) {
        for (std::size_t i = 0; i < kOptions.size(); ++i) {
            if (name != kOptions[i].name)
                continue;
            std::optional<std::string> &field = choice.*kFields[i];
            // Two values for one setting would leave one of them silently unused.
            if (field)
                return name + " is given twice";
            field = value;
        }
    }
    return scan::ResolveProfile(choice);
}

} // namespace cli
