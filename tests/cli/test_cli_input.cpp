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
    // Runs lumivex with args, its standard input fed from file through a pipe.
    Result RunPiped(const std::string &file, const std::vector<std::string> &args) const
    {
        std::vector<std::string> shell{"-c", "f=$1; shift; cat \"$f\" | \"$0\" \"$@\"", LUMIVEX_CLI, file};
        shell.insert(shell.end(), args.begin(), args.end());
        return testsupport::RunProgram(Dir(), "/bin/sh", shell);
    }
};

struct Reading {
    const char *name;
    std::vector<std::string> fromFile; // the command on the file itself
    std::vector<std::string> fromPipe; // the same fed through a pipe
    const char *file;
    std::size_t skipLines = 0; // leading lines that name the file
};

void PrintTo(const Reading &r, std::ostream *os)
{
    *os << r.name;
}

class PipedInput : public Input, public ::testing::WithParamInterface<Reading> {};

TEST_P(PipedInput, ReadsAsTheFileItself)
{
    const Reading &r = GetParam();
    const Result direct = Run(r.fromFile);
    const Result piped = RunPiped(r.file, r.fromPipe);
    EXPECT_EQ(piped.exitCode, direct.exitCode) << piped.err;
    EXPECT_EQ(piped.err, direct.err);
    auto tail = [&](const std::string &out) {
        std::size_t at = 0;
        for (std::size_t i = 0; i < r.skipLines && at != std::string::npos; ++i)
            at = out.find('\n', at) + 1;
        return out.substr(at);
    };
    EXPECT_EQ(tail(piped.out), tail(direct.out));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PipedInput,
    ::testing::Values(
        Reading{"hexdump", {"hexdump", "bat.dat"}, {"hexdump", "-"}, "bat.dat"},
        Reading{"list", {"list", "bat.dat"}, {"list", "-"}, "bat.dat"},
        Reading{"info", {"info", "bat.dat"}, {"info", "-"}, "bat.dat", 1},
        Reading{"ilda", {"ilda", "bat.ild"}, {"ilda", "-"}, "bat.ild"},
        Reading{"ilda_dev_stdin", {"ilda", "bat.ild"}, {"ilda", "/dev/stdin"}, "bat.ild"},
        Reading{"ilda_legacy", {"ilda", "--legacy", "bat.ild"}, {"ilda", "--legacy", "/dev/stdin"}, "bat.ild"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Input, ConvertReadsStandardInputIntoTheNamedOutput)
{
    const Result r = RunPiped("bat.dat", {"convert", "-o", "piped.ild", "-"});
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
class FullOutput : public Input, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(FullOutput, SaysWhyItFailed)
{
    std::vector<std::string> shell{"-c", "\"$0\" \"$@\" >/dev/full", LUMIVEX_CLI};
    shell.insert(shell.end(), GetParam().begin(), GetParam().end());
    const Result r = testsupport::RunProgram(Dir(), "/bin/sh", shell);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "lumivex: Cannot write standard output: No space left on device\n");
}

INSTANTIATE_TEST_SUITE_P(Commands, FullOutput,
                         ::testing::Values(std::vector<std::string>{"hexdump", "bat.dat"},
                                           std::vector<std::string>{"list", "bat.dat"},
                                           std::vector<std::string>{"info", "bat.dat"},
                                           std::vector<std::string>{"ilda", "bat.ild"}),
                         [](const auto &info) { return info.param[0]; });

} // namespace
