// Where convert reads and writes: a device that never ends, a thousand
// inputs joined, a target it may not write.
#include "CliRunner.h"

#include "ilda/Writing.h"

#include <sys/stat.h>

namespace {

using clitest::CliTest;

std::vector<std::uint8_t> OneFrame()
{
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    header.total = 1;
    std::vector<ilda::Point> points(2);
    points[1].x = 1000;
    points[0].color = points[1].color = ilda::Rgb(0, 255, 0);
    points[1].status = ilda::kLastPointBit;
    ilda::SectionWriter file;
    file.AddFrame(header, points);
    file.AddEndMarker(header);
    return file.Bytes();
}

class ConvertInputs : public CliTest {};

// Reading /dev/zero is harmless; it is reached through a link of our own.
TEST_F(ConvertInputs, EndlessDeviceIsJudgedFromItsFirstBytes)
{
    std::filesystem::create_symlink("/dev/zero", Dir() / "endless.dat");
    for (const char *command : {"convert", "optimize"}) {
        const auto run = Run({command, "-o", "out.ild", "endless.dat"});
        EXPECT_EQ(run.exitCode, 1) << command;
        EXPECT_NE(run.err.find("more than 1 MiB from a pipe or device"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(Dir() / "out.ild"));
}

TEST_F(ConvertInputs, JoinOpensOneInputAtATime)
{
    std::vector<std::string> args = {"convert", "--quiet", "--join", "-o", "all.ild"};
    for (int i = 0; i < 100; ++i) {
        const std::string name = "f" + std::to_string(i) + ".ild";
        Put(name, OneFrame());
        args.push_back(name);
    }
    const auto run = Run(args, "ulimit -n 64");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("(100 frames)"), std::string::npos) << run.out;
    EXPECT_EQ(Run({"ilda", "--check", "all.ild"}).exitCode, 0);
}

TEST_F(ConvertInputs, RefusedTargetSaysWhy)
{
    Put("in.ild", OneFrame());
    const auto target = Put("ro.ild", {1, 2, 3});
    ::chmod(target.c_str(), 0444);
    const auto run = Run({"convert", "--force", "-o", "ro.ild", "in.ild"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Cannot create file ro.ild: the file is read-only"), std::string::npos) << run.err;
    EXPECT_EQ(std::filesystem::file_size(target), 3u);
}

} // namespace

namespace {

struct OptionCase {
    const char *name;
    std::vector<std::string> args; // before FILE
    const char *err;
};

void PrintTo(const OptionCase &c, std::ostream *os)
{
    *os << c.name;
}

class OneReadingPerOption : public CliTest, public testing::WithParamInterface<OptionCase> {};

// The frame list and the point rate read alike, and say alike what is
// wrong, in every command that takes them. No DAC is reached: the
// arguments are refused first.
TEST_P(OneReadingPerOption, RefusedAlikeEverywhere)
{
    Put("one.ild", OneFrame());
    std::vector<std::string> args = GetParam().args;
    args.push_back("one.ild");
    const auto run = Run(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(GetParam().err), std::string::npos) << run.err;
}

const char *const kBadList = "--frames takes numbers and ranges such as 0-9,15,20-, not \"x\"";
const char *const kBadRate = "--rate takes points a second from 1 to 10000000, not 0.5";
const std::string kDac = "etherdream:127.0.0.1:9";

INSTANTIATE_TEST_SUITE_P(
    Commands, OneReadingPerOption,
    testing::Values(
        OptionCase{"ConvertList", {"convert", "--frames", "x", "-o", "o.ild"}, kBadList},
        OptionCase{"PlayList", {"play", "--dac", kDac, "--frames", "x"}, kBadList},
        OptionCase{"PlayBeyond", {"play", "--dac", kDac, "--frames", "0,3-"}, "names frame 3 but the file has 1 frame"},
        OptionCase{"OptimizeRate", {"optimize", "--rate", "0.5", "-o", "o.ild"}, kBadRate},
        OptionCase{"PlayRate", {"play", "--dac", kDac, "--profile", "none", "--rate", "0.5"}, kBadRate},
        OptionCase{"PlayProfileRate", {"play", "--dac", kDac, "--rate", "2e7"}, "from 1 to 10000000, not 2e7"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
