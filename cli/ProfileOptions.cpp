#include "ProfileOptions.h"

namespace cli {

namespace {

struct ProfileOption {
    const char *name;
    std::optional<std::string> scan::ProfileChoice::*field;
};

constexpr ProfileOption kOptions[] = {
    {"--profile", &scan::ProfileChoice::name},         {"--rate", &scan::ProfileChoice::rate},
    {"--cutoff", &scan::ProfileChoice::cutoff},        {"--lit-step", &scan::ProfileChoice::litStep},
    {"--blank-step", &scan::ProfileChoice::blankStep}, {"--tolerance", &scan::ProfileChoice::tolerance},
};

} // namespace

std::vector<KnownOption> WithProfileOptions(std::initializer_list<KnownOption> own)
{
    std::vector<KnownOption> known(own);
    for (const ProfileOption &option : kOptions)
        known.push_back({option.name, true});
    return known;
}

bool TakeProfileOption(const std::string &name, const std::string &value, scan::ProfileChoice &choice)
{
    for (const ProfileOption &option : kOptions)
        if (name == option.name) {
            choice.*option.field = value;
            return true;
        }
    return false;
}

bool AnyProfileOption(const scan::ProfileChoice &choice)
{
    for (const ProfileOption &option : kOptions)
        if (choice.*option.field)
            return true;
    return false;
}

} // namespace cli
