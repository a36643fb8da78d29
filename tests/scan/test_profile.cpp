#include "scan/Profile.h"

#include <gtest/gtest.h>

#include <variant>

namespace {

TEST(Profile, RateAloneTakesATwelfthAsCutoff)
{
    scan::ProfileChoice choice;
    choice.rate = "24000";
    const auto resolved = scan::ResolveProfile(choice);
    ASSERT_TRUE(std::holds_alternative<scan::Profile>(resolved));
    const auto &profile = std::get<scan::Profile>(resolved);
    EXPECT_DOUBLE_EQ(profile.cutoff, 2000.0);
    EXPECT_DOUBLE_EQ(profile.litStep, 1.6);
    EXPECT_EQ(profile.name, "custom");
}

TEST(Profile, NamedProfilesAndRefusals)
{
    scan::ProfileChoice named;
    named.name = "ilda-12k";
    EXPECT_EQ(std::get<scan::Profile>(scan::ResolveProfile(named)), *scan::FindProfile("ilda-12k"));
    for (const char *bad : {"0", "-3", "fast", "1e999", ""}) {
        scan::ProfileChoice choice;
        choice.tolerance = bad;
        EXPECT_TRUE(std::holds_alternative<std::string>(scan::ResolveProfile(choice))) << bad;
    }
    scan::ProfileChoice unknown;
    unknown.name = "ilda-99k";
    EXPECT_NE(std::get<std::string>(scan::ResolveProfile(unknown)).find("ilda-30k, ilda-12k"), std::string::npos);
}

} // namespace
