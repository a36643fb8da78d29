// convert writes what File, Save writes, and never loses a file.
#include "CliRunner.h"
#include "JsonReader.h"
#include "PointFileBytes.h"

#include "lumivex/Export.h"
#include "rtl/Classes.h"

#include <algorithm>

namespace {

using clitest::CliTest;
using clitest::ReadBytes;
using clitest::Result;

// What the window saves for a point file in a colour.
std::vector<std::uint8_t> windowExport(const std::vector<std::uint8_t> &pointFile, lumivex::TColor color)
{
    const lumivex::PointFile file = lumivex::DecodePointFile(pointFile);
    EXPECT_TRUE(file.accepted());
    const auto ilda = lumivex::BuildIldaExport(file.xBuf, file.yBuf, file.ptCount, color);
    rtl::TMemoryStream stream;
    ilda->SaveToStream(stream);
    return stream.Bytes();
}

std::vector<std::uint8_t> outline(unsigned count, unsigned seed)
{
    return lumivex::test::MakePointFile(
        static_cast<std::uint8_t>(count / 255), static_cast<std::uint8_t>(count % 255), count + 1,
        [=](std::size_t k) { return static_cast<std::uint8_t>(k * 13 + seed); },
        [=](std::size_t k) { return static_cast<std::uint8_t>(k * 7 + seed * 3); });
}

// ---- Colours

struct ColorCase {
    std::vector<std::string> option;
    lumivex::TColor color;
};

class ConvertColor : public CliTest, public ::testing::WithParamInterface<ColorCase> {};

TEST_P(ConvertColor, BytesOfTheWindowsSave)
{
    const auto bytes = outline(600, 5);
    Put("bat.dat", bytes);
    std::vector<std::string> args{"convert"};
    args.insert(args.end(), GetParam().option.begin(), GetParam().option.end());
    args.push_back("bat.dat");
    const Result r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadBytes(Dir() / "bat.ild"), windowExport(bytes, GetParam().color));
}

INSTANTIATE_TEST_SUITE_P(Colors, ConvertColor,
                         ::testing::Values(ColorCase{{}, lumivex::clRed},
                                           ColorCase{{"--color", "navy"}, lumivex::clNavy},
                                           ColorCase{{"--color", "Blue"}, lumivex::clBlue},
                                           ColorCase{{"--color", "black"}, lumivex::clBlack},
                                           ColorCase{{"--color", "0x00ffff"}, lumivex::clYellow}));

using Convert = CliTest;

// ---- The standard formats

struct FormatCase {
    std::string format;
    std::string color;
    long long shows;      // the colour the standard reading gives the lit points
    long long colorIndex; // -1: none (true colour)
    int status;           // of the first point
};

class ConvertFormat : public CliTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(ConvertFormat, ConformsAndReadsBackInItsColour)
{
    const FormatCase &c = GetParam();
    const auto bytes = outline(300, 4);
    Put("bat.dat", bytes);
    const Result r = Run({"convert", "--format", c.format, "--color", c.color, "bat.dat"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Run({"ilda", "--check", "bat.ild"}).exitCode, 0);

    const clitest::Json frame = clitest::JsonReader::Parse(Run({"ilda", "--json", "bat.ild"}).out)["frames"][0];
    EXPECT_EQ(frame["name"].text, "bat");
    EXPECT_EQ(frame["company"].text, "Lumivex");
    EXPECT_EQ(frame["format"].number, std::stoi(c.format));
    ASSERT_EQ(frame["points"].items.size(), 300u - 9);
    // Where the window's export puts the points.
    const auto window = windowExport(bytes, lumivex::clRed);
    const clitest::Json &first = frame["points"][0];
    EXPECT_EQ(first[0].number, static_cast<std::int16_t>(window[32] << 8 | window[33]));
    EXPECT_EQ(first[1].number, static_cast<std::int16_t>(window[34] << 8 | window[35]));
    EXPECT_EQ(first[3].number, c.status);
    EXPECT_EQ(first[4].kind == clitest::Json::Kind::Null ? -1 : first[4].number, c.colorIndex);
    EXPECT_EQ(first[5].number, c.shows);
    EXPECT_EQ(frame["points"][300 - 10][3].number & 0xC0, 0xC0);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ConvertFormat,
    ::testing::Values(FormatCase{"0", "red", 0x0000FF, 0, 0}, FormatCase{"1", "white", 0xFFFFFF, 56, 0},
                      FormatCase{"0", "aqua", 0xFFFF00, 31, 0}, FormatCase{"1", "navy", 0xFF0000, 40, 0},
                      // Black is no colour of the standard palette: the points are blanked.
                      FormatCase{"0", "black", 0, 0, 0x40}, FormatCase{"4", "0x123456", 0x123456, -1, 0},
                      FormatCase{"5", "navy", 0x800000, -1, 0}));

TEST_F(Convert, OutlineWithoutAPointIsRefused)
{
    Put("nine.dat", outline(9, 1));
    const Result r = Run({"convert", "--format", "4", "nine.dat"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "nine.dat: 9 points give no point to export (at least 10 are needed); not converted.\n");
    EXPECT_FALSE(std::filesystem::exists(Dir() / "nine.ild"));
}

// ---- Names of the outputs

TEST_F(Convert, OutputNameGivenWithO)
{
    const auto bytes = outline(11, 1);
    Put("in/p.dat", bytes);
    std::filesystem::create_directory(Dir() / "out");
    const Result r = Run({"convert", "-o", "out/named.ild", "in/p.dat"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadBytes(Dir() / "out/named.ild"), windowExport(bytes, lumivex::clRed));
    EXPECT_FALSE(std::filesystem::exists(Dir() / "in/p.ild"));
}

TEST_F(Convert, BatchIntoAFolderWithExtensionsReplacedOrAdded)
{
    const auto a = outline(10, 1), b = outline(300, 2), c = outline(2000, 3);
    Put("a.dat", a);
    Put("src/b.points", b);
    Put("c", c);
    std::filesystem::create_directory(Dir() / "out");
    const Result r = Run({"convert", "--color", "lime", "--output-dir", "out", "a.dat", "src/b.points", "c"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadBytes(Dir() / "out/a.ild"), windowExport(a, lumivex::clLime));
    EXPECT_EQ(ReadBytes(Dir() / "out/b.ild"), windowExport(b, lumivex::clLime));
    EXPECT_EQ(ReadBytes(Dir() / "out/c.ild"), windowExport(c, lumivex::clLime));
}

TEST_F(Convert, NextToTheInputByDefault)
{
    const auto bytes = outline(50, 4);
    Put("deep/er/x.dat", bytes);
    const Result r = Run({"convert", "deep/er/x.dat"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadBytes(Dir() / "deep/er/x.ild"), windowExport(bytes, lumivex::clRed));
}

// ---- Nothing is lost

TEST_F(Convert, RefusesToOverwriteUnlessForced)
{
    const auto bytes = outline(40, 6);
    Put("p.dat", bytes);
    const std::vector<std::uint8_t> old{'k', 'e', 'e', 'p'};
    Put("p.ild", old);

    const Result refused = Run({"convert", "p.dat"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("p.ild already exists"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadBytes(Dir() / "p.ild"), old);

    const Result forced = Run({"convert", "--force", "p.dat"});
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(ReadBytes(Dir() / "p.ild"), windowExport(bytes, lumivex::clRed));
}

TEST_F(Convert, NeverWritesOverItsInput)
{
    const auto bytes = outline(40, 7);
    Put("p.ild", bytes);
    std::filesystem::create_symlink("p.ild", Dir() / "link.ild");
    for (const auto &args : {std::vector<std::string>{"convert", "--force", "p.ild"},
                             std::vector<std::string>{"convert", "--force", "-o", "link.ild", "p.ild"}}) {
        const Result r = Run(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("would replace the input"), std::string::npos) << r.err;
        EXPECT_EQ(ReadBytes(Dir() / "p.ild"), bytes);
    }
}

// Eight converts started at once onto one new name: one writes, the others
// find the file and keep it.
TEST_F(Convert, WithoutForceOnlyOneOfARaceWrites)
{
    Put("p.dat", outline(40, 8));
    const std::string line = "'" LUMIVEX_CLI "' convert -o out.ild p.dat >/dev/null 2>>err; echo $? >>codes";
    std::string script;
    for (int i = 0; i < 8; ++i)
        script += "(" + line + ") & ";
    const Result r = testsupport::RunProgram(Dir(), "/bin/sh", {"-c", script + "wait"});
    EXPECT_EQ(r.exitCode, 0);
    std::string codes = testsupport::ReadFile(Dir() / "codes");
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, std::string(8, '\n') + "01111111");
    const std::string err = testsupport::ReadFile(Dir() / "err");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 7) << err;
    EXPECT_NE(err.find("out.ild already exists"), std::string::npos) << err;
    EXPECT_EQ(ReadBytes(Dir() / "out.ild"), windowExport(outline(40, 8), lumivex::clRed));
}

// Standard input opened from the target is the input, whatever its name.
TEST_F(Convert, StandardInputThatIsTheTargetIsRefused)
{
    const auto bytes = outline(40, 9);
    Put("in.dat", bytes);
    const Result r =
        testsupport::RunProgram(Dir(), LUMIVEX_CLI, {"convert", "--force", "-o", "in.dat", "-"}, "exec <in.dat");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("would replace the input"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(Dir() / "in.dat"), bytes);
}

TEST_F(Convert, TwoInputsOfOneNameDoNotOverwriteEachOther)
{
    const auto first = outline(30, 1), second = outline(30, 2);
    Put("p.dat", first);
    Put("p.txt", second);
    const Result r = Run({"convert", "--force", "p.dat", "p.txt"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("already written in this run"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(Dir() / "p.ild"), windowExport(first, lumivex::clRed));
}

TEST_F(Convert, RejectedInputAmongGoodOnes)
{
    const auto good1 = outline(20, 1), good2 = outline(25, 2);
    Put("good1.dat", good1);
    auto tooMany = lumivex::test::MakeCountFile(2000);
    tooMany[49] = 0xD8; // 2001 points
    Put("bad.dat", tooMany);
    Put("short.dat", {1, 2, 3});
    Put("good2.dat", good2);

    const Result r = Run({"convert", "good1.dat", "bad.dat", "missing.dat", "short.dat", "good2.dat"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "bad.dat: Appears to be an invalid file with 2001 Points.\n"
                     "Can't open file missing.dat.\n"
                     "short.dat: Appears to be a truncated file: 0 Points need 66 bytes, the file holds 3.\n");
    EXPECT_EQ(ReadBytes(Dir() / "good1.ild"), windowExport(good1, lumivex::clRed));
    EXPECT_EQ(ReadBytes(Dir() / "good2.ild"), windowExport(good2, lumivex::clRed));
    EXPECT_FALSE(std::filesystem::exists(Dir() / "bad.ild"));
    EXPECT_FALSE(std::filesystem::exists(Dir() / "short.ild"));
}

TEST_F(Convert, OutputThatCannotBeCreated)
{
    Put("p.dat", outline(20, 1));
    const Result r = Run({"convert", "-o", "no/such/folder/p.ild", "p.dat"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "p.dat: Cannot create file no/such/folder/p.ild: the folder no/such/folder does not exist\n");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::recursive_directory_iterator(Dir()))
        ++files;
    EXPECT_EQ(files, 1u) << "only the input remains, no partial or temporary file";
}

// --parents makes the missing output folder, and the folders above it.
TEST_F(Convert, OutputDirWithParentsIsMade)
{
    const auto bytes = outline(20, 1);
    Put("a.dat", bytes);
    const Result r = Run({"convert", "--output-dir", "new/deeper", "--parents", "a.dat"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadBytes(Dir() / "new/deeper/a.ild"), windowExport(bytes, lumivex::clRed));
}

} // namespace
