// A projector end to end: its file made and checked, test patterns, and
// optimize --projector writing frames corrected by the output stage.
#include "CliRunner.h"

#include "ilda/Reading.h"
#include "projector/Safety.h"
#include "projector/Stage.h"
#include "rtl/Classes.h"

#include <filesystem>

namespace {

using clitest::CliTest;
using clitest::ReadBytes;

ilda::Contents ReadIlda(const std::filesystem::path &file)
{
    rtl::TMemoryStream in(ReadBytes(file));
    return ilda::ReadAll(in);
}

std::vector<std::uint8_t> Bytes(const std::string &text)
{
    return {text.begin(), text.end()};
}

constexpr const char *kHung = R"({"version": 1,
  "scanner": {"profile": "ilda-12k", "colorDelay": [150, 120, 100]},
  "color": {"brightness": 90, "red": {"gain": 0.8, "min": 0.1, "curve": 1.8}},
  "geometry": {"flipY": true, "rotate": 10, "size": [90, 80],
               "keystone": [[-30000, -32000], [30000, -32000], [26000, 30000], [-26000, 30000]]},
  "zones": [{"kind": "blank", "points": [[-8000, -8000], [8000, -8000], [8000, 8000], [-8000, 8000]]},
            {"kind": "dim", "brightness": 30, "points": [[10000, 10000], [30000, 10000], [20000, 30000]]}],
  "limits": {"left": -31000, "bottom": -25000, "right": 31000, "top": 31000}})";

class Projector : public CliTest {};

TEST_F(Projector, OptimizeWritesTheFramesTheStageMakes)
{
    Put("hung.json", Bytes(kHung));
    ASSERT_EQ(Run({"projector", "check", "hung.json"}).exitCode, 0);
    ASSERT_EQ(Run({"pattern", "tuning", "-o", "tuning.ild"}).exitCode, 0);
    const auto result = Run({"optimize", "--projector", "hung.json", "-o", "out.ild", "tuning.ild"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Run({"ilda", "--check", "out.ild"}).exitCode, 0);

    const auto setup = projector::LoadSetup((Dir() / "hung.json").string());
    ASSERT_TRUE(setup.ok()) << setup.message();
    const auto in = ReadIlda(Dir() / "tuning.ild"), out = ReadIlda(Dir() / "out.ild");
    ASSERT_EQ(out.frames.size(), 1u);
    const auto expected = projector::OutputStage(*setup).Apply(in.frames[0].points);
    const auto &written = out.frames[0].points;
    ASSERT_EQ(written.size(), expected.size());
    for (std::size_t k = 0; k < written.size(); ++k) {
        EXPECT_EQ(written[k].x, expected[k].x);
        EXPECT_EQ(written[k].y, expected[k].y);
        EXPECT_EQ(written[k].color, expected[k].color);
        EXPECT_TRUE(written[k].y >= -25000) << k;
    }
    EXPECT_EQ(projector::LitSamplesInBlankZones(written, *setup), 0u);
}

TEST_F(Projector, InitWritesAFileThatChecksAndKeepsOneThere)
{
    ASSERT_EQ(Run({"projector", "init", "--profile", "ilda-12k", "p.json"}).exitCode, 0);
    const auto check = Run({"projector", "check", "p.json"});
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_NE(check.out.find("ilda-12k"), std::string::npos) << check.out;
    const auto again = Run({"projector", "init", "p.json"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.err.find("already exists"), std::string::npos) << again.err;
}

TEST_F(Projector, ARefusedFileNamesItsKeyAndNothingIsWritten)
{
    std::string bad = kHung;
    bad.replace(bad.find("[-8000, 8000]"), 13, "[8000, -9000]");
    Put("bad.json", Bytes(bad));
    Put("in.dat", {}); // never read: the projector is refused first
    const auto check = Run({"projector", "check", "bad.json"});
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_NE(check.err.find("bad.json: zones[0].points: the polygon crosses itself"), std::string::npos) << check.err;
    for (const char *command : {"pattern", "convert"}) {
        const auto result = command == std::string("pattern")
                                ? Run({"pattern", "grid", "--projector", "bad.json", "-o", "out.ild"})
                                : Run({"convert", "--projector", "bad.json", "in.dat", "-o", "out.ild"});
        EXPECT_EQ(result.exitCode, 2) << command;
        EXPECT_FALSE(std::filesystem::exists(Dir() / "out.ild")) << command;
    }
    Put("hung.json", Bytes(kHung));
    EXPECT_EQ(Run({"optimize", "--projector", "hung.json", "--rate", "20000", "-o", "o.ild", "x.ild"}).exitCode, 2);
}

class Pattern : public CliTest, public testing::WithParamInterface<const char *> {};

TEST_P(Pattern, Conforms)
{
    Put("hung.json", Bytes(kHung));
    for (const bool corrected : {false, true}) {
        std::vector<std::string> args = {"pattern", GetParam(), "--rate", "20000", "-o", "p.ild", "--force"};
        if (corrected)
            args.insert(args.end(), {"--projector", "hung.json"});
        ASSERT_EQ(Run(args).exitCode, 0) << GetParam();
        const auto check = Run({"ilda", "--check", "p.ild"});
        EXPECT_EQ(check.exitCode, 0) << check.out;
        const auto file = ReadIlda(Dir() / "p.ild");
        ASSERT_EQ(file.frames.size(), 1u);
        EXPECT_GT(file.frames[0].points.size(), 50u);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Pattern, testing::Values("tuning", "grid", "colors"));

} // namespace
