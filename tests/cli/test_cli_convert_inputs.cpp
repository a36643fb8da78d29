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
    const auto run = Run(args, "ulimit -n 40");
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
