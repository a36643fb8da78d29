// convert of drawings made for print: the page, black ink, dashes and a
// compressed file become a frame a laser shows, and each change is told.
#include "CliRunner.h"

#include "ilda/Reading.h"
#include "rtl/Classes.h"

#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using clitest::CliTest;
using clitest::ReadBytes;
using clitest::Result;
using Bytes = std::vector<std::uint8_t>;

// A white page, a black square, a red dashed line of two dashes.
const std::string kPrintDrawing =
    "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 200 100'>"
    "<rect width='200' height='100' fill='white'/>"
    "<rect x='20' y='20' width='40' height='40' fill='#000000'/>"
    "<line x1='100' y1='50' x2='190' y2='50' stroke='red' stroke-dasharray='40 10'/>"
    "</svg>";

Bytes Gzip(const std::string &text)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, uLong(text.size())) + 32);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(text.data()));
    z.avail_in = uInt(text.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

struct DarkCase {
    std::vector<std::string> options;
    std::size_t lit;    // lit points: the square's 4 and the dashes' 2 of 2
    ilda::Color square; // the colour of the square's sides
    const char *told;   // on stderr
};

class ConvertDrawing : public CliTest, public ::testing::WithParamInterface<DarkCase> {};

TEST_P(ConvertDrawing, PrintDrawingBecomesLitOutlines)
{
#ifndef LUMIVEX_SVG
    GTEST_SKIP() << "built without Qt SVG";
#endif
    Put("page.svgz", Gzip(kPrintDrawing));
    std::vector<std::string> args = {"convert", "page.svgz", "-o", "page.ild"};
    args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
    const Result r = Run(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("page.svgz: left out the page's background (1 filled rectangle over the whole view box)\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(GetParam().told), std::string::npos) << r.err;
    rtl::TMemoryStream stream(ReadBytes(Dir() / "page.ild"));
    const ilda::Contents out = ilda::ReadAll(stream);
    ASSERT_EQ(out.frames.size(), 1u);
    const auto &points = out.frames[0].points;
    const auto lit = std::count_if(points.begin(), points.end(), [](const ilda::Point &p) { return !p.Blanked(); });
    EXPECT_EQ(std::size_t(lit), GetParam().lit);
    EXPECT_EQ(points[1].color, GetParam().square);
    EXPECT_EQ(points.back().color, ilda::Rgb(255, 0, 0)); // the second dash
    EXPECT_EQ(points.back().x, 29490);                    // x = 190, where the line ends
}

INSTANTIATE_TEST_SUITE_P(DarkRules, ConvertDrawing,
                         ::testing::Values(DarkCase{{}, 6, ilda::Rgb(255, 255, 255), "page.svgz: drew 1 dark shape"},
                                           DarkCase{{"--dark", "lime"}, 6, ilda::Rgb(0, 255, 0), "in #00FF00"},
                                           DarkCase{{"--dark", "keep"}, 6, ilda::Rgb(0, 0, 0), "kept 1 dark shape"},
                                           DarkCase{
                                               {"--dark", "drop"}, 2, ilda::Rgb(255, 0, 0), "left out 1 dark shape"}));

TEST_F(CliTest, DarkTakesKeepDropOrAColour)
{
    const Result r = Run({"convert", "--dark", "gloomy", "a.svg"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--dark takes keep, drop or a colour"), std::string::npos) << r.err;
}

TEST_F(CliTest, CompressedFileThatIsNoDrawingIsToldSo)
{
#ifndef LUMIVEX_SVG
    GTEST_SKIP() << "built without Qt SVG";
#endif
    Put("notes.svgz", Gzip("these are words, not a drawing"));
    const Result r = Run({"convert", "notes.svgz"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("notes.svgz: not an SVG drawing"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(Dir() / "notes.ild"));
}

} // namespace
