// The one argument parser of the three programs: options, values, files,
// and what it says about words it does not know.
#include "startup/Arguments.h"

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

} // namespace
