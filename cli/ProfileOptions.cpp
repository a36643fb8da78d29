#include "ProfileOptions.h"

#include <array>
#include <optional>

namespace cli {

namespace {

constexpr std::array<KnownOption, 6> kProfileOptions{{
    {"--profile", true},
    {"--rate", true},
    {"--cutoff", true},
    {"--lit-step", true},
    {"--blank-step", true},
    {"--tolerance", true},
}};

// Where each option's value goes, in the table's order.
std::optional<std::string> scan::ProfileChoice::*const kFields[] = {
    &scan::ProfileChoice::name,    &scan::ProfileChoice::rate,      &scan::ProfileChoice::cutoff,
    &scan::ProfileChoice::litStep, &scan::ProfileChoice::blankStep, &scan::ProfileChoice::tolerance,
};

} // namespace

std::span<const KnownOption> ProfileOptionTable()
{
    return kProfileOptions;
}

std::variant<scan::Profile, std::string> ProfileFromOptions(const ParsedArgs &parsed)
{
    scan::ProfileChoice choice;
    for (const auto &[name, value] : parsed.options) {
        for (std::size_t i = 0; i < kProfileOptions.size(); ++i) {
            if (name != kProfileOptions[i].name)
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
