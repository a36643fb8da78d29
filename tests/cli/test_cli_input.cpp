// What every command shares: standard input and pipes read like files,
// "--" ending the options, and failed writes to standard output reported.
#include "CliRunner.h"
#include "PointFileBytes.h"

namespace {

using clitest::CliTest;
using clitest::ReadBytes;
using clitest::Result;

class Input : public CliTest {
protected:
    void SetUp() override
    {
        Put("bat.dat", lumivex::test::MakeCountFile(600));
        // With the end marker, so the standard reading has nothing to say that names the file.
        ASSERT_EQ(Run({"convert", "--format", "0", "bat.dat"}).exitCode, 0);
        ASSERT_EQ(Run({"convert", "-o", "plain.ild", "bat.dat"}).exitCode, 0); // the bytes of File, Save
    }
    // Runs lumivex with args from a shell script that calls it as "$0" "$@".
    Result Shell(const std::string &script, const std::vector<std::string> &args) const
    {
        std::vector<std::string> shell{"-c", script, LUMIVEX_CLI};
        shell.insert(shell.end(), args.begin(), args.end());
        return testsupport::RunProgram(Dir(), "/bin/sh", shell);
    }
};

struct Piped {
    const char *name;
    std::vector<std::string> args; // the last names standard input
    const char *file;              // fed through a pipe
    bool namesTheFile = false;     // in its first line
};

class PipedInput : public Input, public ::testing::WithParamInterface<Piped> {};

TEST_P(PipedInput, ReadsAsTheFileItself)
{
    const Piped &p = GetParam();
    std::vector<std::string> args = p.args;
    args.back() = p.file;
    const Result direct = Run(args);
    const Result piped = Shell(std::string("cat ") + p.file + " | \"$0\" \"$@\"", p.args);
    EXPECT_EQ(piped.exitCode, direct.exitCode) << piped.err;
    EXPECT_EQ(piped.err, direct.err);
    const auto tail = [&](const std::string &out) { return out.substr(p.namesTheFile ? out.find('\n') + 1 : 0); };
    EXPECT_EQ(tail(piped.out), tail(direct.out));
}

INSTANTIATE_TEST_SUITE_P(Commands, PipedInput,
                         ::testing::Values(Piped{"hexdump", {"hexdump", "-"}, "bat.dat"},
                                           Piped{"list", {"list", "-"}, "bat.dat"},
                                           Piped{"info", {"info", "-"}, "bat.dat", true},
                                           Piped{"ilda", {"ilda", "-"}, "bat.ild"},
                                           Piped{"ilda_legacy", {"ilda", "--legacy", "/dev/stdin"}, "bat.ild"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Input, ConvertReadsStandardInputIntoTheNamedOutput)
{
    const Result r = Shell("cat bat.dat | \"$0\" \"$@\"", {"convert", "-o", "piped.ild", "-"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadBytes(Dir() / "piped.ild"), ReadBytes(Dir() / "plain.ild"));
}

// "--" ends the options in every command, so a file may start with '-'.
class DoubleDash : public Input, public ::testing::WithParamInterface<std::string> {};

TEST_P(DoubleDash, EndsTheOptions)
{
    const std::string file = GetParam() == "ilda" ? "-dash.ild" : "-dash.dat";
    Put(file, ReadBytes(Dir() / (GetParam() == "ilda" ? "bat.ild" : "bat.dat")));
    const Result dashed = Run({GetParam(), "--", file});
    EXPECT_EQ(dashed.exitCode, 0) << dashed.err;
    if (GetParam() == "convert") {
        EXPECT_EQ(ReadBytes(Dir() / "-dash.ild"), ReadBytes(Dir() / "plain.ild"));
    } else {
        EXPECT_EQ(dashed.out, Run({GetParam(), "./" + file}).out);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, DoubleDash, ::testing::Values("hexdump", "list", "info", "ilda", "convert"));

// Standard output that takes nothing: the command says so and why.
class FullOutput : public Input, public ::testing::WithParamInterface<std::string> {};

TEST_P(FullOutput, SaysWhyItFailed)
{
    const Result r = Shell("\"$0\" \"$@\" >/dev/full", {GetParam(), GetParam() == "ilda" ? "bat.ild" : "bat.dat"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "lumivex: Cannot write standard output: No space left on device\n");
}

INSTANTIATE_TEST_SUITE_P(Commands, FullOutput, ::testing::Values("hexdump", "list", "info", "ilda"));

// An endless pipe ends the reading: a point file once it is longer than any
// point file, an ILDA file at its end marker.
struct Endless {
    const char *name;
    const char *shell;
    std::vector<std::string> args;
    int exitCode;
};

class EndlessInput : public Input, public ::testing::WithParamInterface<Endless> {};

TEST_P(EndlessInput, EndsTheReading)
{
    const Result r = Shell(std::string(GetParam().shell) + " | \"$0\" \"$@\"", GetParam().args);
    EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, EndlessInput,
    ::testing::Values(Endless{"info", "yes", {"info", "-"}, 1}, Endless{"list", "yes", {"list", "-"}, 1},
                      Endless{"convert", "yes", {"convert", "-o", "x.ild", "-"}, 1},
                      Endless{"ilda_summary", "(cat bat.ild; yes)", {"ilda", "--summary", "-"}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
