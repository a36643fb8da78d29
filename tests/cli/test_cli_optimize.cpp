// optimize end to end: an ILDA file with a palette and frames of several
// formats comes out prepared, with its sections and headers kept.
#include "CliRunner.h"

#include "ilda/Reading.h"
#include "ilda/Writing.h"
#include "rtl/Classes.h"
#include "scan/Figures.h"

namespace {

using clitest::CliTest;
using clitest::ReadBytes;

ilda::Point At(int x, int y, bool lit, std::uint8_t index, ilda::Color color)
{
    ilda::Point point;
    point.x = static_cast<std::int16_t>(x);
    point.y = static_cast<std::int16_t>(y);
    point.status = lit ? 0 : ilda::kBlankingBit;
    point.colorIndex = index;
    point.color = color;
    return point;
}

ilda::Header Named(std::uint8_t format, const char *name, std::uint16_t number)
{
    ilda::Header header;
    header.format = format;
    header.name = ilda::NameField(name);
    header.company = ilda::NameField("Tests");
    header.number = number;
    header.total = 3;
    header.projector = 2;
    return header;
}

// A triangle and a lone dot, unprepared: lit steps far beyond 1.6 %.
std::vector<ilda::Point> Shape(std::uint8_t index, ilda::Color color)
{
    std::vector<ilda::Point> points = {At(-10000, -10000, false, index, 0), At(10000, -10000, true, index, color),
                                       At(0, 12000, true, index, color),    At(-10000, -10000, true, index, color),
                                       At(20000, 20000, false, index, 0),   At(20000, 20000, true, index, color)};
    points.back().status |= ilda::kLastPointBit;
    return points;
}

std::vector<std::uint8_t> Show()
{
    const std::vector<ilda::Color> palette = {ilda::Rgb(0, 0, 0), ilda::Rgb(255, 0, 0), ilda::Rgb(0, 255, 0)};
    ilda::SectionWriter file;
    file.AddPalette(Named(ilda::kFormatPalette, "colours", 0), palette);
    file.AddFrame(Named(ilda::kFormat3dIndexed, "one", 0), Shape(1, palette[1]));
    file.AddFrame(Named(ilda::kFormat2dIndexed, "two", 1), Shape(2, palette[2]));
    file.AddFrame(Named(ilda::kFormat3dTrueColor, "three", 2), Shape(0, ilda::Rgb(10, 20, 250)));
    file.AddEndMarker(Named(ilda::kFormat3dTrueColor, "three", 2));
    return file.Bytes();
}

class Optimize : public CliTest {};

TEST_F(Optimize, PreparesEveryFrameAndKeepsWhatTheFileSays)
{
    Put("show.ild", Show());
    const auto result = Run({"optimize", "-o", "out.ild", "show.ild"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("3 frames"), std::string::npos) << result.out;
    EXPECT_EQ(Run({"ilda", "--check", "out.ild"}).exitCode, 0);

    rtl::TMemoryStream in(Show()), out(ReadBytes(Dir() / "out.ild"));
    const ilda::Contents before = ilda::ReadAll(in), after = ilda::ReadAll(out);
    ASSERT_EQ(after.frames.size(), before.frames.size());
    ASSERT_EQ(after.outcome.palettes.size(), 1u);
    EXPECT_EQ(after.outcome.palettes[0]->colors, before.outcome.palettes[0]->colors);
    for (std::size_t i = 0; i < before.frames.size(); ++i) {
        const ilda::Header &was = before.frames[i].info.header, &is = after.frames[i].info.header;
        EXPECT_EQ(is.format, was.format);
        EXPECT_EQ(is.name, was.name);
        EXPECT_EQ(is.company, was.company);
        EXPECT_EQ(is.number, was.number);
        EXPECT_EQ(is.projector, was.projector);
        const auto &points = after.frames[i].points;
        const scan::Figures figures = scan::Measure(points, before.frames[i].points, scan::DefaultProfile());
        EXPECT_GE(figures.coverage, 99.5);
        EXPECT_LE(figures.litStepMax, 1.6);
        for (const ilda::Point &point : points) {
            if (!point.Blanked()) {
                EXPECT_EQ(point.colorIndex, before.frames[i].points[1].colorIndex);
            }
        }
    }
}

TEST_F(Optimize, AFileCutShortIsNotWritten)
{
    auto bytes = Show();
    bytes.resize(bytes.size() - 40);
    Put("cut.ild", bytes);
    const auto result = Run({"optimize", "--profile", "ilda-12k", "-o", "out.ild", "cut.ild"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("not optimised"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(Dir() / "out.ild"));
}

// The profile options: a scanner described by its values is held to its own
// limits; a wrong choice is a usage error before anything is written.
TEST_F(Optimize, ProfileOptions)
{
    Put("show.ild", Show());
    ASSERT_EQ(Run({"optimize", "--quiet", "--rate", "20000", "--lit-step", "0.8", "--output-dir", "out", "--parents",
                   "--", "show.ild"})
                  .exitCode,
              0);
    rtl::TMemoryStream stream(ReadBytes(Dir() / "out" / "show.ild"));
    const ilda::Contents contents = ilda::ReadAll(stream);
    ASSERT_EQ(contents.frames.size(), 3u);
    scan::Profile custom = scan::DefaultProfile();
    custom.rate = 20000;
    custom.cutoff = 20000.0 / 12;
    custom.litStep = 0.8;
    for (const auto &frame : contents.frames)
        EXPECT_LE(scan::Measure(frame.points, frame.points, custom).litStepMax, 0.8);
    for (const auto &bad : {std::vector<std::string>{"--profile", "ilda-99k"}, {"--tolerance", "-1"}, {"--rate"}}) {
        std::vector<std::string> args = {"optimize", "-o", "bad.ild"};
        args.insert(args.end(), bad.begin(), bad.end());
        args.push_back("show.ild");
        EXPECT_EQ(Run(args).exitCode, 2) << bad.front();
    }
    EXPECT_FALSE(std::filesystem::exists(Dir() / "bad.ild"));
}

// Prepared for lasers that lag 150 µs, the frames draw within the targets
// under that lag, and ilda --scan measures them with it.
TEST_F(Optimize, ColorDelayEndToEnd)
{
    Put("show.ild", Show());
    const auto result = Run({"optimize", "--quiet", "--color-delay", "150", "-o", "late.ild", "show.ild"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Run({"ilda", "--check", "late.ild"}).exitCode, 0);
    rtl::TMemoryStream in(Show()), out(ReadBytes(Dir() / "late.ild"));
    const ilda::Contents before = ilda::ReadAll(in), after = ilda::ReadAll(out);
    ASSERT_EQ(after.frames.size(), before.frames.size());
    scan::Profile lagging = scan::DefaultProfile();
    lagging.colorDelay = {150, 150, 150};
    for (std::size_t i = 0; i < before.frames.size(); ++i) {
        const auto &points = after.frames[i].points;
        const scan::Figures late = scan::Measure(points, before.frames[i].points, lagging);
        EXPECT_GE(late.coverage, 99.5) << i;
        EXPECT_LE(late.strayShare, 0.5) << i;
        EXPECT_LE(late.litStepMax, 1.6) << i;
        // Drawn without the lag, the light comes early: it falls short.
        EXPECT_LT(scan::Measure(points, before.frames[i].points, scan::DefaultProfile()).coverage, 99.5) << i;
    }
    const auto scan = Run({"ilda", "--scan", "--color-delay", "50,100,150", "late.ild"});
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_NE(scan.out.find(", colour delay red 50, green 100, blue 150 µs\n"), std::string::npos) << scan.out;
    EXPECT_EQ(Run({"convert", "--color-delay", "-1", "-o", "bad.ild", "show.ild"}).exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(Dir() / "bad.ild"));
}

TEST_F(Optimize, ConvertWritesTheOutlinePrepared)
{
    const std::string outline = std::string(LUMIVEX_TEST_DATA) + "/points-2000.dat";
    const auto run = Run({"convert", "--profile", "ilda-12k", "--format", "1", "-o", "p.ild", outline});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err.find("repair"), std::string::npos) << "a prepared frame needs no repair: " << run.err;
    EXPECT_EQ(run.err.find("last-point"), std::string::npos) << run.err;
    EXPECT_EQ(Run({"ilda", "--check", "p.ild"}).exitCode, 0);
    rtl::TMemoryStream stream(ReadBytes(Dir() / "p.ild"));
    const ilda::Contents contents = ilda::ReadAll(stream);
    ASSERT_EQ(contents.frames.size(), 1u);
    const auto &points = contents.frames[0].points;
    ASSERT_FALSE(points.empty());
    EXPECT_TRUE(points.front().Blanked());
    EXPECT_LE(scan::Measure(points, points, *scan::FindProfile("ilda-12k")).litStepMax, 1.6);
}

} // namespace

namespace {

// Eighty short strokes scattered: far more than a frame at 30 a second holds
// once each has its travel and dwell.
std::vector<std::uint8_t> Crowded()
{
    std::vector<ilda::Point> points;
    for (int k = 0; k < 80; ++k) {
        const int x = -30000 + (k % 10) * 6500, y = -30000 + (k / 10) * 8000;
        points.push_back(At(x, y, false, 0, 0));
        points.push_back(At(x + 2500, y + 1500 * (k % 3), true, 0, ilda::Rgb(255, 255, 255)));
        points.push_back(At(x + 500, y + 3000, true, 0, ilda::Rgb(255, 255, 255)));
    }
    points.back().status |= ilda::kLastPointBit;
    ilda::SectionWriter file;
    file.AddFrame(Named(ilda::kFormat3dTrueColor, "crowd", 0), points);
    file.AddEndMarker(Named(ilda::kFormat3dTrueColor, "crowd", 0));
    return file.Bytes();
}

} // namespace

// The refresh floor: without it the slow frame is told; with it the frame
// keeps to it within the limits; a floor nothing fits is a usage error.
TEST_F(Optimize, RefreshFloorEndToEnd)
{
    Put("crowd.ild", Crowded());
    const auto free = Run({"optimize", "-o", "free.ild", "crowd.ild"});
    ASSERT_EQ(free.exitCode, 0) << free.err;
    EXPECT_NE(free.err.find("crowd.ild: frame 0 below 30 a second"), std::string::npos) << free.err;
    EXPECT_NE(free.err.find("--min-hz 30"), std::string::npos) << free.err;

    const auto floored = Run({"optimize", "--min-hz", "50", "-o", "floor.ild", "crowd.ild"});
    ASSERT_EQ(floored.exitCode, 0) << floored.err;
    EXPECT_EQ(floored.err.find("--min-hz"), std::string::npos) << floored.err;
    EXPECT_EQ(Run({"ilda", "--check", "floor.ild"}).exitCode, 0);
    rtl::TMemoryStream in(Crowded()), out(ReadBytes(Dir() / "floor.ild"));
    const ilda::Contents before = ilda::ReadAll(in), after = ilda::ReadAll(out);
    ASSERT_EQ(after.frames.size(), 1u);
    const auto &points = after.frames[0].points;
    EXPECT_LE(points.size(), 600u);
    const scan::Figures figures = scan::Measure(points, before.frames[0].points, scan::DefaultProfile());
    EXPECT_LE(figures.litStepMax, 1.6);
    EXPECT_LE(figures.blankStepMax, 8.0);
    EXPECT_LE(figures.stray, 0.6);
    EXPECT_GT(figures.coverage, 40.0);

    const auto refused = Run({"optimize", "--max-points", "5", "-o", "none.ild", "crowd.ild"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("frame 0 needs at least"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(Dir() / "none.ild"));
    EXPECT_EQ(Run({"optimize", "--min-hz", "0", "-o", "bad.ild", "crowd.ild"}).exitCode, 2);
    EXPECT_EQ(Run({"optimize", "--max-points", "1.5", "-o", "bad.ild", "crowd.ild"}).exitCode, 2);
}
