// lumivex play and dacs as a user runs them, against an emulator.
#include "RunProgram.h"
#include "TempDir.h"

#include "emulator/Emulator.h"
#include "ilda/Writing.h"

#include <gtest/gtest.h>

namespace {

TEST(PlayCommand, StreamsAFileToAnEmulatorAndSumsUp)
{
    testsupport::TempDir dir("lumivex-dac");
    ilda::SectionWriter writer;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    std::vector<ilda::Point> points(20);
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].x = static_cast<std::int16_t>(i * 100);
        points[i].color = ilda::Rgb(255, 0, 0);
    }
    writer.AddFrame(header, points);
    writer.AddEndMarker(header);
    writer.SaveToFile((dir.Path() / "show.ild").string());

    emu::EmulatorOptions options;
    options.broadcastTo.clear();
    emu::Emulator emulator(options);
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    const std::string target = "etherdream:127.0.0.1:" + std::to_string(emulator.Port());
    const auto played = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI,
        {"play", "show.ild", "--dac", target, "--profile", "none", "--loop", "--seconds", "0.5"});
    EXPECT_EQ(played.exitCode, 0) << played.err;
    EXPECT_NE(played.out.find("done: 15 frames"), std::string::npos) << played.out;
    EXPECT_GT(emulator.Figures().pointsReceived, 15000u);

    // The frame list convert takes: a range to the end, too.
    const auto tail = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI,
        {"play", "show.ild", "--dac", target, "--profile", "none", "--frames", "0-", "--seconds", "0.1"});
    EXPECT_EQ(tail.exitCode, 0) << tail.err;

    const auto wrong = testsupport::RunProgram(dir.Path(), LUMIVEX_CLI, {"play", "show.ild", "--dac", "laser:1"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_NE(wrong.err.find("etherdream:HOST"), std::string::npos);
    emulator.Stop();
}

} // namespace

namespace {

TEST(DacsCommand, ListsAnIdnUnitScannedAtAnAddressAsJson)
{
    testsupport::TempDir dir("lumivex-dac");
    emu::EmulatorOptions options;
    options.kind = dac::Kind::Idn;
    options.name = "stage left";
    emu::Emulator emulator(options);
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    const std::string address = "127.0.0.1:" + std::to_string(emulator.Port());
    // Scanned at the address alone: nothing goes to the interfaces' broadcast addresses.
    const auto listed = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI, {"dacs", "--timeout", "0.5", "--no-broadcast", "--dac", address, "--json"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("{\"kind\": \"idn\", \"name\": \"stage left\", \"address\": \"127.0.0.1\", \"port\": " +
                              std::to_string(emulator.Port()) + ", \"capacity\": null, \"maxRate\": null"),
              std::string::npos)
        << listed.out;
    emulator.Stop();
}

} // namespace

namespace {

TEST(LaserCubeCommands, ListedByItsTargetPlayedAndAnUnreadableTargetRefused)
{
    testsupport::TempDir dir("lumivex-dac");
    ilda::SectionWriter writer;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    std::vector<ilda::Point> points(20);
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].x = static_cast<std::int16_t>(i * 160);
        points[i].color = ilda::Rgb(0, 0, 255);
    }
    writer.AddFrame(header, points);
    writer.AddEndMarker(header);
    writer.SaveToFile((dir.Path() / "show.ild").string());

    emu::EmulatorOptions options;
    options.kind = dac::Kind::LaserCube;
    options.name = "cube";
    options.capacity = 6000;
    options.anyPort = true;
    emu::Emulator emulator(options);
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    const std::string target = "lasercube:127.0.0.1:" + std::to_string(emulator.Port());
    const auto listed = testsupport::RunProgram(dir.Path(), LUMIVEX_CLI,
                                                {"dacs", "--timeout", "0.5", "--no-broadcast", "--dac", target});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("lasercube   cube "), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("  " + target + "  capacity 6000  max rate 100000"), std::string::npos) << listed.out;

    const auto played = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI,
        {"play", "show.ild", "--dac", target, "--profile", "none", "--loop", "--seconds", "0.5"});
    EXPECT_EQ(played.exitCode, 0) << played.err;
    EXPECT_NE(played.out.find("done: 15 frames"), std::string::npos) << played.out;
    EXPECT_GE(emulator.Figures().pointsPlayed, 15000u);

    for (const char *unreadable : {"lasercub:127.0.0.1", "lasercube:", "idn:127.0.0.1:0"}) {
        const auto refused = testsupport::RunProgram(dir.Path(), LUMIVEX_CLI, {"dacs", "--dac", unreadable});
        EXPECT_EQ(refused.exitCode, 2) << unreadable;
        EXPECT_FALSE(refused.err.empty()) << unreadable;
    }
    emulator.Stop();
}

} // namespace
