// The viewer's command line: what each set of words asks for, and help and
// version answered by the real program without any display.
#include "ViewerArguments.h"

#include "RunProgram.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

using Action = viewer::Arguments::Action;

struct Case {
    const char *name;
    std::vector<std::string> args;
    Action action;
    std::string file;
};

class ParseArguments : public testing::TestWithParam<Case> {};

TEST_P(ParseArguments, GivesTheActionAndTheFile)
{
    const viewer::Arguments result = viewer::ParseArguments(GetParam().args);
    EXPECT_EQ(result.action, GetParam().action);
    EXPECT_EQ(result.file, GetParam().file);
    EXPECT_EQ(result.problem.empty(), result.action != Action::Error);
}

INSTANTIATE_TEST_SUITE_P(Words, ParseArguments,
                         testing::Values(Case{"Nothing", {}, Action::Run, ""},
                                         Case{"AFile", {"shows/circle.dat"}, Action::Run, "shows/circle.dat"},
                                         Case{"HelpAfterAFile", {"circle.dat", "--help"}, Action::Help, ""},
                                         Case{"ShortHelp", {"-h"}, Action::Help, ""},
                                         Case{"Version", {"--version"}, Action::Version, ""},
                                         Case{"HelpWinsOverABadOption", {"--bogus", "--help"}, Action::Help, ""},
                                         Case{"UnknownOption", {"--bogus"}, Action::Error, ""},
                                         Case{"TwoFiles", {"a.dat", "b.dat"}, Action::Error, ""},
                                         Case{"DashedNameAfterTheEnd", {"--", "--version"}, Action::Run, "--version"},
                                         Case{"LoneDashIsAName", {"-"}, Action::Run, "-"}),
                         [](const testing::TestParamInfo<Case> &info) { return info.param.name; });

// No display at all: the program must answer before it needs one.
TEST(ViewerProgram, AnswersHelpAndVersionWithoutADisplay)
{
    const testsupport::TempDir dir("lumivex-viewer-args");
    const std::string noDisplay = "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM";
    const auto help = testsupport::RunProgram(dir.Path(), LUMIVEX_VIEWER, {"--help"}, noDisplay);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, viewer::UsageText());
    const auto version = testsupport::RunProgram(dir.Path(), LUMIVEX_VIEWER, {"--version"}, noDisplay);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "lumivex-viewer " LUMIVEX_VERSION "\n");
    EXPECT_EQ(version.err, "");
    const auto wrong = testsupport::RunProgram(dir.Path(), LUMIVEX_VIEWER, {"-x", "a.dat"}, noDisplay);
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.err, "lumivex-viewer: unknown option -x; try 'lumivex-viewer --help'.\n");
}

} // namespace
