// text end to end: the frame and the scroll written as conforming ILDA
// files, the fonts listed, what the drawing changes told, bad input refused.
#include "CliRunner.h"

#include "ilda/Reading.h"
#include "rtl/Classes.h"

namespace {

using clitest::CliTest;
using clitest::ReadBytes;

class Text : public CliTest {
protected:
    ilda::Contents Read(const std::string &name) const
    {
        rtl::TMemoryStream stream(ReadBytes(Dir() / name));
        return ilda::ReadAll(stream);
    }
};

TEST_F(Text, WritesTheTextAsOneCentredFrame)
{
    const auto run = Run({"text", "HELLO WORLD", "--color", "lime", "-o", "hello.ild"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Run({"ilda", "--check", "hello.ild"}).exitCode, 0);
    const ilda::Contents file = Read("hello.ild");
    ASSERT_EQ(file.frames.size(), 1u);
    EXPECT_EQ(file.frames[0].info.header.format, ilda::kFormat2dTrueColor);
    int left = 0, right = 0, lit = 0;
    for (const ilda::Point &point : file.frames[0].points) {
        if (point.Blanked())
            continue;
        EXPECT_EQ(point.color, ilda::Rgb(0, 255, 0));
        left = std::min<int>(left, point.x);
        right = std::max<int>(right, point.x);
        ++lit;
    }
    EXPECT_GT(lit, 50);
    EXPECT_NEAR(left + right, 0, 2);
    EXPECT_NEAR(right - left, 65534 * 0.9, 2);
}

TEST_F(Text, WritesAScrollPreparedForTheScanner)
{
    const auto run = Run({"text", "HI", "--scroll", "2", "--fps", "10", "--profile", "ilda-12k", "--font",
                          "DejaVu Sans", "-o", "scroll.ild"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Run({"ilda", "--check", "scroll.ild"}).exitCode, 0);
    const ilda::Contents file = Read("scroll.ild");
    ASSERT_EQ(file.frames.size(), 20u);
    for (std::size_t i = 0; i < file.frames.size(); ++i) {
        EXPECT_EQ(file.frames[i].info.header.number, i);
        EXPECT_EQ(file.frames[i].info.header.total, 20);
        EXPECT_TRUE(file.frames[i].points.front().Blanked());
    }
}

TEST_F(Text, ListsBothKindsOfFont)
{
    const auto run = Run({"text", "--list-fonts"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("futural\tsingle-stroke\n"), std::string::npos) << run.out;
#ifdef LUMIVEX_SVG
    EXPECT_NE(run.out.find("DejaVu Sans\toutline\n"), std::string::npos) << run.out;
#endif
}

TEST_F(Text, TellsWhatTheDrawingLeavesOutOrShrinks)
{
    const auto missing = Run({"text",
                              "Gr\xC3\xBC\xC3\x9F"
                              "e",
                              "-o", "a.ild"});
    EXPECT_EQ(missing.exitCode, 0);
    EXPECT_NE(missing.err.find("lacks \xC3\xBC (U+00FC), \xC3\x9F (U+00DF); drawn as spaces"), std::string::npos)
        << missing.err;
    const auto shrunk = Run({"text", "HELLO WORLD", "--height", "90", "-o", "b.ild"});
    EXPECT_EQ(shrunk.exitCode, 0);
    EXPECT_NE(shrunk.err.find("does not fit 90 % high"), std::string::npos) << shrunk.err;
}

TEST_F(Text, KeepsAnExistingFileUnlessForced)
{
    Put("old.ild", {1, 2, 3});
    const auto kept = Run({"text", "HI", "-o", "old.ild"});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_NE(kept.err.find("--force"), std::string::npos) << kept.err;
    EXPECT_EQ(ReadBytes(Dir() / "old.ild"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(Run({"text", "HI", "--force", "-o", "old.ild"}).exitCode, 0);
    EXPECT_EQ(Read("old.ild").frames.size(), 1u);
    const auto piped = Run({"text", "HI", "-o", "-"});
    EXPECT_EQ(piped.out.substr(0, 4), "ILDA");
}

struct BadCase {
    std::vector<std::string> args;
    int exitCode;
    const char *told;
};

class TextRefuses : public Text, public ::testing::WithParamInterface<BadCase> {};

TEST_P(TextRefuses, BadInputWithAMessageAndNoFile)
{
    std::vector<std::string> args = {"text"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    args.insert(args.end(), {"-o", "out.ild"});
    const auto run = Run(args);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_NE(run.err.find(GetParam().told), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(Dir() / "out.ild"));
}

INSTANTIATE_TEST_SUITE_P(Cases, TextRefuses,
                         ::testing::Values(BadCase{{"HI", "--font", "nosuch"}, 2, "no font nosuch"},
                                           BadCase{{"HI", "--height", "0"}, 2, "--height takes"},
                                           BadCase{{"HI", "--height", "101"}, 2, "--height takes"},
                                           BadCase{{"HI", "--fps", "10"}, 2, "--fps goes with --scroll"},
                                           BadCase{{"HI", "--color", "black"}, 2, "never be seen"},
                                           BadCase{{"HI", "--color", "mauve-ish"}, 2, "unknown colour"},
                                           BadCase{{"\xFF"}, 2, "not UTF-8"}, BadCase{{"   "}, 1, "draws nothing"},
                                           BadCase{{"HI", "--scroll", "0.01"}, 2, "2 to 65535"},
                                           BadCase{{"HI", "--scroll", "1e9"}, 2, "2 to 65535"},
                                           BadCase{{"HI", "THERE"}, 2, "one TEXT"},
                                           BadCase{{"--list-fonts", "HI"}, 2, "--list-fonts"},
                                           BadCase{{"HI", "--profile", "nosuch"}, 2, "nosuch"}));

} // namespace
