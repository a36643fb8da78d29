#include "scan/Profile.h"

#include <gtest/gtest.h>

#include <array>
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

struct DelayText {
    const char *text;
    bool good;
    std::array<double, 3> delay;
};

class ColorDelayOption : public testing::TestWithParam<DelayText> {};

TEST_P(ColorDelayOption, OneValueOrOnePerLaser)
{
    scan::ProfileChoice choice;
    choice.colorDelay = GetParam().text;
    const auto resolved = scan::ResolveProfile(choice);
    if (!GetParam().good) {
        ASSERT_TRUE(std::holds_alternative<std::string>(resolved));
        EXPECT_NE(std::get<std::string>(resolved).find("--color-delay"), std::string::npos);
        return;
    }
    ASSERT_TRUE(std::holds_alternative<scan::Profile>(resolved));
    EXPECT_EQ(std::get<scan::Profile>(resolved).colorDelay, GetParam().delay);
    // The lag belongs to the projector: the scanner keeps its name.
    EXPECT_EQ(std::get<scan::Profile>(resolved).name, "ilda-30k");
}

INSTANTIATE_TEST_SUITE_P(Texts, ColorDelayOption,
                         testing::Values(DelayText{"150", true, {150, 150, 150}},
                                         DelayText{"50,100.5,0", true, {50, 100.5, 0}},
                                         DelayText{"1000", true, {1000, 1000, 1000}}, DelayText{"-5", false, {}},
                                         DelayText{"1001", false, {}}, DelayText{"50,100", false, {}},
                                         DelayText{"50,,100", false, {}}, DelayText{"nan", false, {}},
                                         DelayText{"", false, {}}, DelayText{"1,2,3,4", false, {}}));

// Whole points at the profile's rate, halves rounded up.
TEST(Profile, ColorDelayInPoints)
{
    scan::Profile profile = scan::DefaultProfile();
    profile.colorDelay = {150, 50, 16.66};
    EXPECT_EQ(profile.ColorDelayPoints(), (std::array<long, 3>{5, 2, 0}));
    profile.colorDelay = {16.67, 0, 300};
    EXPECT_EQ(profile.ColorDelayPoints(), (std::array<long, 3>{1, 0, 9}));
}

} // namespace
