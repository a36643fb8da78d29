// hexdump, list, info, help and usage errors of the command line.
#include "CliRunner.h"
#include "PointFileBytes.h"

#include "lumivex/HexDump.h"
#include "lumivex/PointFile.h"

#include <random>

namespace {

using clitest::CliTest;
using clitest::Result;

std::vector<std::uint8_t> randomBytes(std::size_t size)
{
    std::mt19937 random(static_cast<unsigned>(size));
    std::vector<std::uint8_t> bytes(size);
    for (auto &b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

std::string dumpOf(const std::vector<std::uint8_t> &bytes)
{
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 16)
        text += lumivex::HexLine(at, std::span(bytes).subspan(at, std::min<std::size_t>(16, bytes.size() - at)));
    return text;
}

std::string lines(const std::vector<std::string> &listing)
{
    std::string text;
    for (const std::string &line : listing)
        text += line + "\n";
    return text;
}

// ---- hexdump prints exactly the pane's text

class Hexdump : public CliTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(Hexdump, EqualsTheLinesOfTheCore)
{
    const auto bytes = randomBytes(GetParam());
    Put("input.bin", bytes);
    const Result r = Run({"hexdump", "input.bin"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.size(), dumpOf(bytes).size());
    EXPECT_TRUE(r.out == dumpOf(bytes)) << "the dump differs from the core's lines";
}

// 0, 3, 16, 4096 bytes; one block and one byte more; a file crossing 0x100000.
INSTANTIATE_TEST_SUITE_P(Sizes, Hexdump,
                         ::testing::Values(0, 3, 16, 17, 4096, 256 * 1024, 256 * 1024 + 1, 0x100000 + 40));

TEST_F(Hexdump, FileThatCannotBeOpened)
{
    std::filesystem::create_directory(Dir() / "folder");
    for (const std::string name : {"missing.dat", "folder"}) {
        const Result r = Run({"hexdump", name});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "Can't open file " + name + ".\n");
    }
}

// ---- list prints the list box lines

struct ListCase {
    const char *file;
    int exitCode;
};

class List : public CliTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(List, EqualsTheListingOfTheCore)
{
    const auto bytes = clitest::ReadBytes(std::string(LUMIVEX_TEST_DATA) + "/" + GetParam().file);
    ASSERT_FALSE(bytes.empty());
    Put("in.dat", bytes);
    const lumivex::PointFile file = lumivex::DecodePointFile(bytes);
    const Result r = Run({"list", "in.dat"});
    EXPECT_EQ(r.exitCode, GetParam().exitCode);
    EXPECT_EQ(r.out, lines(file.listing));
    EXPECT_EQ(r.err, file.accepted() ? "" : file.message + "\n");
}

INSTANTIATE_TEST_SUITE_P(DataFiles, List,
                         ::testing::Values(ListCase{"points-0.dat", 0}, ListCase{"points-31.dat", 0},
                                           ListCase{"points-32.dat", 0}, ListCase{"points-2000.dat", 0},
                                           ListCase{"points-2001.dat", 1}, ListCase{"truncated-100.dat", 1},
                                           ListCase{"all-bytes.bin", 1}));

TEST_F(List, TrailingBlanksAreKept)
{
    Put("in.dat", lumivex::test::MakeCountFile(31));
    const Result r = Run({"list", "in.dat"});
    EXPECT_EQ(r.out.substr(0, 97), "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F "
                                   "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F \n");
}

TEST_F(List, MissingFile)
{
    const Result r = Run({"list", "gone.dat"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Can't open file gone.dat.\n");
}

// ---- info prints the four label texts

using Info = CliTest;

TEST_F(Info, LabelsWithTheBareFileName)
{
    const auto bytes = lumivex::test::MakeCountFile(600);
    Put("sub/outline.dat", bytes);
    const Result r = Run({"info", "sub/outline.dat"});
    const auto labels = lumivex::PointFileLabels("outline.dat", lumivex::DecodePointFile(bytes));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, labels.fileName + "\n" + labels.fileSize + "\n" + labels.points + "\n" + labels.structure + "\n");
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Filename outline.dat");
}

TEST_F(Info, LargeFileReportsItsWholeSize)
{
    auto bytes = lumivex::test::MakeCountFile(10);
    bytes.resize(3 << 20, 0xEE);
    Put("big.dat", bytes);
    const Result r = Run({"info", "big.dat"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("File size in bytes: 3145728\n"), std::string::npos) << r.out;
}

TEST_F(Info, RejectedFileOnlyExplains)
{
    Put("short.dat", {1, 2, 3});
    const Result r = Run({"info", "short.dat"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Appears to be a truncated file: 0 Points need 66 bytes, the file holds 3.\n");
}

// ---- help, version, usage errors

using Program = CliTest;

TEST_F(Program, HelpAndVersion)
{
    const Result help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: lumivex COMMAND", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
    const Result version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "lumivex 1.0.0\n");
}

class UsageError : public CliTest, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(UsageError, ExitTwoWithAOneLineHint)
{
    Put("a.dat", lumivex::test::MakeCountFile(20));
    Put("b.dat", lumivex::test::MakeCountFile(20));
    const Result r = Run(GetParam());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(Dir() / "a.ild"));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, UsageError,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"draw", "a.dat"},
                      std::vector<std::string>{"hexdump"}, std::vector<std::string>{"hexdump", "a.dat", "b.dat"},
                      std::vector<std::string>{"list"}, std::vector<std::string>{"info", "--all", "a.dat"},
                      std::vector<std::string>{"convert"}, std::vector<std::string>{"convert", "--color"},
                      std::vector<std::string>{"convert", "--color", "purple", "a.dat"},
                      std::vector<std::string>{"convert", "-o", "x.ild", "a.dat", "b.dat"},
                      std::vector<std::string>{"convert", "-o", "x.ild", "--output-dir", ".", "a.dat"},
                      std::vector<std::string>{"convert", "--fast", "a.dat"}, std::vector<std::string>{"ilda"},
                      std::vector<std::string>{"ilda", "a.ild", "--xml"},
                      std::vector<std::string>{"ilda", "--check", "--summary", "a.ild"},
                      std::vector<std::string>{"ilda", "--legacy", "--summary", "a.ild"},
                      std::vector<std::string>{"ilda", "--legacy", "a.ild", "b.ild"},
                      std::vector<std::string>{"convert", "--format", "3", "a.dat"},
                      std::vector<std::string>{"convert", "--color", "0x123456", "a.dat"},
                      std::vector<std::string>{"convert", "--format", "1", "--color", "0x123456", "a.dat"}));

} // namespace

namespace {

// Every command answers --help with its own usage, wherever the option stands.
class CommandHelp : public CliTest, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CommandHelp, PrintsTheUsageAndExitsZero)
{
    const std::vector<std::string> &args = GetParam();
    const Result r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("Usage: lumivex " + args[0], 0), 0u) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandHelp,
                         ::testing::Values(std::vector<std::string>{"hexdump", "--help"},
                                           std::vector<std::string>{"list", "-h"},
                                           std::vector<std::string>{"info", "--help"},
                                           std::vector<std::string>{"convert", "--color", "red", "--help"},
                                           std::vector<std::string>{"ilda", "--json", "--help"},
                                           std::vector<std::string>{"optimize", "--help"},
                                           std::vector<std::string>{"play", "-h"}));

} // namespace
