// The one argument parser of the three programs: options, values, files,
// and what it says about words it does not know.
#include "startup/Arguments.h"
#include "startup/Startup.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char *name;
    startup::Args words;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> files;
    std::string problem;
    std::string unknownOption;
};

class ParseArgs : public ::testing::TestWithParam<Case> {};

TEST_P(ParseArgs, SplitsOptionsValuesAndFiles)
{
    const Case &c = GetParam();
    const startup::ParsedArgs parsed = startup::ParseArgs(c.words, {{"--frame", true}, {"-o", true}, {"--force"}});
    EXPECT_EQ(parsed.options, c.options);
    EXPECT_EQ(parsed.files, c.files);
    EXPECT_EQ(parsed.problem, c.problem);
    EXPECT_EQ(parsed.unknownOption, c.unknownOption);
}

INSTANTIATE_TEST_SUITE_P(
    Words, ParseArgs,
    ::testing::Values(Case{"ValueThatLooksLikeAnOption", {"--frame", "-1", "a"}, {{"--frame", "-1"}}, {"a"}, "", ""},
                      Case{"DashIsAFile", {"-", "--force"}, {{"--force", ""}}, {"-"}, "", ""},
                      Case{"EndOfOptions", {"--", "-o", "--force"}, {}, {"-o", "--force"}, "", ""},
                      Case{
                          "UnknownOption", {"a", "-platform", "x"}, {}, {"a"}, "unknown option -platform", "-platform"},
                      Case{"MissingValue", {"-o"}, {}, {}, "-o needs a value", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Startup, HelpWinsBeforeTheEndOfOptionsOnly)
{
    EXPECT_TRUE(startup::AsksFor({"--bogus", "x", "--help"}, {"--help", "-h"}));
    EXPECT_FALSE(startup::AsksFor({"--", "--help"}, {"--help", "-h"}));
}

TEST(Startup, OnlyQtsOwnOptionsWaitForTheApplication)
{
    EXPECT_TRUE(startup::IsToolkitOption("-platform"));
    EXPECT_TRUE(startup::IsToolkitOption("-style"));
    for (const char *word : {"-1", "-5", "-x", "--platform", "", "-o"})
        EXPECT_FALSE(startup::IsToolkitOption(word)) << word;
}

} // namespace
