// convert and optimize write only the light that was in the show: indexed
// output takes the source's colours, never lights what was dark, and
// numbers its frames as the standard counts them.
#include "CliRunner.h"

#include "ilda/Reading.h"
#include "ilda/Writing.h"
#include "rtl/Classes.h"

#include <set>

namespace {

using clitest::CliTest;
using clitest::ReadBytes;

ilda::Point Lit(int x, int y, ilda::Color color, std::uint8_t index = 0)
{
    ilda::Point point;
    point.x = static_cast<std::int16_t>(x);
    point.y = static_cast<std::int16_t>(y);
    point.color = color;
    point.colorIndex = index;
    return point;
}

ilda::Header Frame(std::uint8_t format, std::uint16_t number, std::uint16_t total)
{
    ilda::Header header;
    header.format = format;
    header.name = ilda::NameField("f");
    header.number = number;
    header.total = total;
    return header;
}

std::vector<ilda::Point> Closed(std::vector<ilda::Point> points)
{
    points.back().status |= ilda::kLastPointBit;
    return points;
}

// Two frames of many colours off the standard palette, with near-black
// and black lit points among them; numbered from 1, a total that lies.
std::vector<std::uint8_t> TrueColourShow()
{
    ilda::SectionWriter file;
    for (std::uint16_t f = 0; f < 2; ++f) {
        std::vector<ilda::Point> points;
        for (int i = 0; i < 120; ++i)
            points.push_back(Lit(i * 200 - 12000, (i % 7) * 900 * (f + 1),
                                 ilda::Rgb(std::uint8_t(40 + i), std::uint8_t(200 - i), std::uint8_t(i * 2 + f))));
        points.push_back(Lit(1000, 1000, ilda::Rgb(0, 0, 10)));
        points.push_back(Lit(2000, 1000, 0));
        file.AddFrame(Frame(ilda::kFormat3dTrueColor, std::uint16_t(f + 1), 5), Closed(points));
    }
    file.AddEndMarker(Frame(ilda::kFormat3dTrueColor, 0, 5));
    return file.Bytes();
}

ilda::Contents Read(const std::filesystem::path &file)
{
    rtl::TMemoryStream stream(ReadBytes(file));
    return ilda::ReadAll(stream);
}

std::set<ilda::Color> LitColours(const ilda::Contents &contents)
{
    std::set<ilda::Color> colors;
    for (const auto &frame : contents.frames)
        for (const ilda::Point &p : frame.points)
            if (!p.Blanked())
                colors.insert(p.color);
    return colors;
}

class IndexedOutput : public CliTest, public testing::WithParamInterface<std::vector<std::string>> {};

// Both commands go through one rule: the palette of the colours used, the
// dark points blanked, frames numbered from 0 with the true total.
TEST_P(IndexedOutput, TakesOnlyTheSourcesColoursAndConforms)
{
    Put("show.ild", TrueColourShow());
    std::vector<std::string> args = GetParam();
    args.insert(args.end(), {"--format", "0", "-o", "out.ild", "show.ild"});
    const auto run = Run(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("renumbered 2 frames"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("lit points darker than 1/16"), std::string::npos) << run.err;
    const auto check = Run({"ilda", "--check", "out.ild"});
    EXPECT_EQ(check.exitCode, 0) << check.out;

    std::set<ilda::Color> source = LitColours(Read(Dir() / "show.ild"));
    source.erase(ilda::Rgb(0, 0, 10));
    source.erase(0);
    const ilda::Contents out = Read(Dir() / "out.ild");
    // The optimiser may drop a stroke's first colour, never invent one.
    const std::set<ilda::Color> written = LitColours(out);
    for (const ilda::Color color : written)
        EXPECT_TRUE(source.count(color)) << std::hex << color;
    EXPECT_GE(written.size(), source.size() - 2);
    ASSERT_EQ(out.frames.size(), 2u);
    EXPECT_EQ(out.frames[1].info.header.number, 1);
    EXPECT_EQ(out.frames[1].info.header.total, 2);
}

INSTANTIATE_TEST_SUITE_P(Commands, IndexedOutput,
                         testing::Values(std::vector<std::string>{"convert"}, std::vector<std::string>{"optimize"}));

class DarkStays : public CliTest {};
class ColorOptionRefused : public CliTest {};

TEST_F(DarkStays, StandardPaletteLightsNoBlackPoint)
{
    Put("show.ild", TrueColourShow());
    const auto run = Run({"convert", "--palette", "default", "--format", "1", "-o", "out.ild", "show.ild"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const auto &frame : Read(Dir() / "out.ild").frames) {
        const auto &points = frame.points;
        ASSERT_EQ(points.size(), 122u);
        EXPECT_TRUE(points[120].Blanked()) << "#00000A would be the standard palette's blue";
        EXPECT_TRUE(points[121].Blanked()) << "black would be the standard palette's red";
        EXPECT_FALSE(points[0].Blanked());
    }
}

// A glyph file marks its moves with index 64 of the 64 standard colours.
TEST_F(DarkStays, IndexBeyondThePaletteIsNoLineInAnyFormat)
{
    ilda::SectionWriter file;
    file.AddFrame(Frame(ilda::kFormat2dIndexed, 0, 1),
                  Closed({Lit(0, 0, 0, 24), Lit(5000, 0, 0, 24), Lit(9000, 0, 0, 64), Lit(14000, 0, 0, 24)}));
    file.AddEndMarker(Frame(ilda::kFormat2dIndexed, 0, 1));
    Put("glyphs.ild", file.Bytes());
    for (const char *format : {"1", "5"}) {
        const auto run = Run({"convert", "--force", "--format", format, "-o", "out.ild", "glyphs.ild"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.err.find("blanked 1 point indexing beyond the palette"), std::string::npos) << run.err;
        const auto points = Read(Dir() / "out.ild").frames.at(0).points;
        EXPECT_TRUE(points.at(2).Blanked()) << format;
        EXPECT_EQ(points.at(2).color, 0u) << format;
        EXPECT_EQ(points.at(3).color, ilda::kDefaultPalette[24]) << format;
    }
}

struct ColorCase {
    const char *text;
    ilda::Color color; // 0x00BBGGRR
};

class ColorOption : public CliTest, public testing::WithParamInterface<ColorCase> {};

TEST_P(ColorOption, EveryFormNamesItsColour)
{
    const std::string outline = std::string(LUMIVEX_TEST_DATA) + "/points-31.dat";
    const auto run = Run({"convert", "--color", GetParam().text, "--format", "5", "-o", "out.ild", outline});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(LitColours(Read(Dir() / "out.ild")), std::set<ilda::Color>{GetParam().color});
}

const ColorCase kColorCases[] = {{"lime", 0x00FF00},     {"#00FF00", 0x00FF00}, {"#FFA500", 0x00A5FF},
                                 {"0x00A5FF", 0x00A5FF},
#ifdef LUMIVEX_SVG
                                 {"green", 0x008000},    {"Orange", 0x00A5FF}
#endif
};

INSTANTIATE_TEST_SUITE_P(Forms, ColorOption, testing::ValuesIn(kColorCases));

TEST_F(ColorOptionRefused, NamesTheFormsItTakes)
{
    for (const char *bad : {"grene", "#0F0", "transparent", "0x1000000"}) {
        const auto run = Run({"convert", "--color", bad, "-o", "out.ild", "in.dat"});
        EXPECT_EQ(run.exitCode, 2) << bad;
        EXPECT_NE(run.err.find("#RRGGBB or 0xBBGGRR"), std::string::npos) << run.err;
    }
}

} // namespace
