// convert as the one door: ILDA files, SVG drawings and point files in, a
// conforming ILDA file out, one run per input kind.
#include "CliRunner.h"
#include "IldaBytes.h"
#include "PointFileBytes.h"

#include "ilda/Reading.h"
#include "ilda/Writing.h"
#include "rtl/Classes.h"

#include <filesystem>

namespace {

using clitest::CliTest;
using clitest::ReadBytes;
using clitest::Result;

ilda::Point At(int x, int y, ilda::Color color, bool blanked = false)
{
    ilda::Point p;
    p.x = static_cast<std::int16_t>(x);
    p.y = static_cast<std::int16_t>(y);
    p.status = blanked ? ilda::kBlankingBit : 0;
    p.color = blanked ? 0 : color;
    return p;
}

ilda::Header FrameHeader(std::uint8_t format, unsigned number, unsigned total)
{
    ilda::Header h;
    h.format = format;
    h.name = ilda::NameField("show");
    h.number = static_cast<std::uint16_t>(number);
    h.total = static_cast<std::uint16_t>(total);
    return h;
}

// Three true-colour frames of 120 colours no default palette has.
Bytes TrueColorShow()
{
    ilda::SectionWriter file;
    for (unsigned f = 0; f < 3; ++f) {
        std::vector<ilda::Point> points = {At(-30000, 100, 0, true)};
        for (int i = 0; i < 40; ++i)
            points.push_back(At(i * 700 - 14000, int(f) * 900 - i * 300,
                                ilda::Rgb(std::uint8_t(3 + f * 40 + i), std::uint8_t(200 - i * 3), 77)));
        points.back().status |= ilda::kLastPointBit;
        file.AddFrame(FrameHeader(ilda::kFormat2dTrueColor, f, 3), points);
    }
    file.AddEndMarker({});
    return file.Bytes();
}

ilda::Contents ReadIlda(const std::filesystem::path &file)
{
    rtl::TMemoryStream stream(ReadBytes(file));
    return ilda::ReadAll(stream);
}

class ConvertPipeline : public CliTest {
protected:
    void ExpectConforms(const std::string &name)
    {
        const Result check = Run({"ilda", "--check", name});
        EXPECT_EQ(check.exitCode, 0) << check.out;
    }
};

TEST_F(ConvertPipeline, TrueColourToIndexedKeepsEveryColourThroughAnAutoPalette)
{
    Put("show.ild", TrueColorShow());
    const Result r = Run({"convert", "--format", "0", "show.ild", "-o", "out.ild"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ExpectConforms("out.ild");
    const auto in = ReadIlda(Dir() / "show.ild"), out = ReadIlda(Dir() / "out.ild");
    ASSERT_EQ(out.outcome.palettes.size(), 1u);
    EXPECT_LT(out.outcome.palettes[0]->offset, out.frames[0].info.offset); // before the frames
    ASSERT_EQ(out.frames.size(), 3u);
    for (std::size_t f = 0; f < 3; ++f) {
        EXPECT_EQ(out.frames[f].info.header.format, ilda::kFormat3dIndexed);
        ASSERT_EQ(out.frames[f].points.size(), in.frames[f].points.size());
        for (std::size_t i = 0; i < in.frames[f].points.size(); ++i) {
            const ilda::Point &a = in.frames[f].points[i], &b = out.frames[f].points[i];
            EXPECT_EQ(std::tuple(a.x, a.y, a.color, a.Blanked()), std::tuple(b.x, b.y, b.color, b.Blanked()));
            EXPECT_EQ(b.z, 0);
        }
    }
}

TEST_F(ConvertPipeline, IndexedToTrueColourTakesThePaletteInEffect)
{
    // A palette section, then a frame using its second colour; a frame before it uses the default palette.
    Bytes palette = IldaHeader(2, 2, 0, 0);
    for (std::uint8_t b : {10, 20, 30, 40, 50, 60})
        palette.push_back(b);
    const Bytes file = IldaSection(1, 0, 2, {{0, 0, 0, 0, 16}, {5, 5, 0, 0x80, 16}}) + palette +
                       IldaSection(1, 1, 2, {{0, 0, 0, 0, 1}, {9, 9, 0, 0x80, 1}}) + IldaHeader(0, 0, 0, 0);
    Put("idx.ild", file);
    const Result r = Run({"convert", "--format", "4", "idx.ild", "-o", "tc.ild"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = ReadIlda(Dir() / "tc.ild");
    ASSERT_EQ(out.frames.size(), 2u);
    EXPECT_EQ(out.frames[0].points[1].color, ilda::Rgb(255, 255, 0)); // default palette index 16
    EXPECT_EQ(out.frames[1].points[1].color, ilda::Rgb(40, 50, 60));
    EXPECT_TRUE(out.outcome.palettes.empty());
}

TEST_F(ConvertPipeline, RepairsWhatAProjectorRefusesAndSaysSoOncePerKind)
{
    // Reserved status and header bits, missing last-point bits, wrong
    // numbers and totals, an index beyond a 2-colour palette, no end marker.
    Bytes palette = IldaHeader(2, 2, 0, 0);
    palette.insert(palette.end(), {255, 0, 0, 0, 0, 255});
    Bytes second = IldaSection(0, 7, 9, {{1, 1, 0, 0x01, 0}, {2, 2, 0, 0, 5}});
    second[5] = 1;
    const Bytes file = palette + IldaSection(0, 7, 9, {{0, 0, 0, 0x02, 1}, {1, 1, 0, 0, 1}}) + second;
    Put("old.ild", file);
    const Result r = Run({"convert", "old.ild", "-o", "new.ild"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err,
              "old.ild: set the last-point bit on 2 frames\n"
              "old.ild: cleared reserved status bits on 2 points\n"
              "old.ild: cleared reserved header bytes in 1 section\n"
              "old.ild: renumbered 2 frames (frame number or total)\n"
              "old.ild: blanked 1 point indexing beyond the palette\n"
              "old.ild: wrote the missing end marker\n");
    ExpectConforms("new.ild");
    EXPECT_TRUE(ReadIlda(Dir() / "new.ild").frames[1].points[1].Blanked()); // index 5 of 2 colours shows nothing
    const Result quiet = Run({"convert", "--quiet", "--force", "old.ild", "-o", "new.ild"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "");
}

TEST_F(ConvertPipeline, FileCutShortIsWrittenAsFarAsItGoes)
{
    Bytes bytes = TrueColorShow();
    bytes.resize(bytes.size() - 32 - 8 * 10); // the end marker and ten points gone
    Put("cut.ild", bytes);
    const Result r = Run({"convert", "cut.ild", "-o", "out.ild"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cut.ild: byte "), std::string::npos) << r.err;
    ExpectConforms("out.ild");
    const auto out = ReadIlda(Dir() / "out.ild");
    ASSERT_EQ(out.frames.size(), 3u);
    EXPECT_EQ(out.frames[2].points.size(), 31u);
}

TEST_F(ConvertPipeline, JoinNumbersTheFramesAfresh)
{
    Put("a.ild", TrueColorShow());
    Put("b.dat", lumivex::test::MakeCountFile(20));
    const Result r = Run({"convert", "--join", "--frames", "1-", "--rotate", "90", "a.ild", "b.dat", "-o", "all.ild"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectConforms("all.ild");
    const auto in = ReadIlda(Dir() / "a.ild"), out = ReadIlda(Dir() / "all.ild");
    ASSERT_EQ(out.frames.size(), 3u); // frames 1 and 2 of a.ild, then b.dat
    for (unsigned f = 0; f < 3; ++f) {
        EXPECT_EQ(out.frames[f].info.header.number, f);
        EXPECT_EQ(out.frames[f].info.header.total, 3u);
    }
    const ilda::Point &before = in.frames[1].points[5], &after = out.frames[0].points[5];
    EXPECT_EQ(after.x, -before.y);
    EXPECT_EQ(after.y, before.x);
    EXPECT_EQ(out.frames[2].info.header.format, ilda::kFormat3dIndexed);
}

TEST_F(ConvertPipeline, SvgDrawingBecomesAFrame)
{
#ifndef LUMIVEX_SVG
    GTEST_SKIP() << "built without Qt SVG";
#endif
    const std::string svg =
        "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 200 100'>"
        "<rect x='50' y='25' width='100' height='50' fill='none' stroke='#00ff00'/></svg>";
    Put("box.svg", Bytes(svg.begin(), svg.end()));
    const Result r = Run({"convert", "box.svg", "-o", "box.ild"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "box.svg -> box.ild (1 frame)\n");
    ExpectConforms("box.ild");
    const auto out = ReadIlda(Dir() / "box.ild");
    ASSERT_EQ(out.frames.size(), 1u);
    ASSERT_EQ(out.frames[0].points.size(), 5u);
    EXPECT_EQ(out.frames[0].points[2].x, 16383);
    EXPECT_EQ(out.frames[0].points[2].y, -8192);
    EXPECT_EQ(out.frames[0].points[2].color, ilda::Rgb(0, 255, 0));
}

class ConvertRefusal : public CliTest,
                       public ::testing::WithParamInterface<std::pair<std::vector<std::string>, int>> {};

TEST_P(ConvertRefusal, SaysWhyAndWritesNothing)
{
    Put("show.ild", TrueColorShow());
    std::vector<std::string> args = {"convert", "show.ild", "-o", "out.ild"};
    args.insert(args.end(), GetParam().first.begin(), GetParam().first.end());
    const Result r = Run(args);
    EXPECT_EQ(r.exitCode, GetParam().second);
    EXPECT_NE(r.err, "");
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(Dir() / "out.ild"));
}

INSTANTIATE_TEST_SUITE_P(Refusals, ConvertRefusal,
                         ::testing::Values(std::pair{std::vector<std::string>{"--frames", "7-9"}, 1},
                                           std::pair{std::vector<std::string>{"--offset", "90000,0"}, 1},
                                           std::pair{std::vector<std::string>{"--palette", "best"}, 2},
                                           std::pair{std::vector<std::string>{"--scale", "0"}, 2},
                                           std::pair{std::vector<std::string>{"--frames", "2-1"}, 2},
                                           std::pair{std::vector<std::string>{"--profile", "no-such-scanner"}, 2}));

} // namespace
