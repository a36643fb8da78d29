// lumivex play and dacs as a user runs them, against an emulator.
#include "LoopbackEmulator.h"
#include "RunProgram.h"
#include "TempDir.h"

#include "dac/Net.h"
#include "emulator/Emulator.h"
#include "ilda/Writing.h"

#include <gtest/gtest.h>

namespace {

// count points along x, step apart, lit in color.
std::vector<ilda::Point> Line(std::size_t count, int step, ilda::Color color)
{
    std::vector<ilda::Point> points(count);
    for (std::size_t i = 0; i < count; ++i) {
        points[i].x = static_cast<std::int16_t>(static_cast<int>(i) * step);
        points[i].color = color;
    }
    return points;
}

// A true-colour ILDA file of frame, copies times.
void WriteShow(const std::filesystem::path &file, const std::vector<ilda::Point> &frame, int copies = 1)
{
    ilda::SectionWriter writer;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    for (int f = 0; f < copies; ++f)
        writer.AddFrame(header, frame);
    writer.AddEndMarker(header);
    writer.SaveToFile(file.string());
}

TEST(PlayCommand, StreamsAFileToAnEmulatorAndSumsUp)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteShow(dir.Path() / "show.ild", Line(20, 100, ilda::Rgb(255, 0, 0)));

    emu::Emulator emulator(testsupport::LoopbackEmulator());
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
    const auto longHold =
        testsupport::RunProgram(dir.Path(), LUMIVEX_CLI, {"play", "show.ild", "--dac", target, "--idn-hold-ms", "501"});
    EXPECT_EQ(longHold.exitCode, 2);
    EXPECT_NE(longHold.err.find("--idn-hold-ms wants milliseconds from 0 to 500, not '501'"), std::string::npos)
        << longHold.err;
    emulator.Stop();
}

} // namespace

namespace {

TEST(DacsCommand, ListsAnIdnUnitScannedAtAnAddressAsJson)
{
    testsupport::TempDir dir("lumivex-dac");
    auto options = testsupport::LoopbackEmulator(dac::Kind::Idn);
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

// Frames of 2,000 points: two slots each at 30,000 points and 30 frames a second.
void WriteLongFrames(const std::filesystem::path &file)
{
    WriteShow(file, Line(2000, 10, ilda::Point{}.color), 4);
}

TEST(PlayCommand, KeepsTheShowsTimeOrShowsEveryFrame)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteLongFrames(dir.Path() / "long.ild");
    emu::Emulator emulator(testsupport::LoopbackEmulator());
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    const std::string target = "etherdream:127.0.0.1:" + std::to_string(emulator.Port());
    const std::vector<std::string> play = {"play", "long.ild", "--dac",     target, "--profile",
                                           "none", "--loop",   "--seconds", "1"};
    const auto kept = testsupport::RunProgram(dir.Path(), LUMIVEX_CLI, play);
    EXPECT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_NE(kept.out.find("done: 15 frames, 15 skipped"), std::string::npos) << kept.out;

    auto every = play;
    every.insert(every.end(), {"--timing", "every"});
    const auto all = testsupport::RunProgram(dir.Path(), LUMIVEX_CLI, every);
    EXPECT_EQ(all.exitCode, 0) << all.err;
    EXPECT_NE(all.out.find("done: 30 frames, 0 skipped"), std::string::npos) << all.out;

    auto wrong = play;
    wrong.insert(wrong.end(), {"--timing", "late"});
    const auto refused = testsupport::RunProgram(dir.Path(), LUMIVEX_CLI, wrong);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("--timing wants keep or every, not 'late'"), std::string::npos) << refused.err;
    emulator.Stop();
}

TEST(PlayCommand, TellsWhenAnIdnUnitFallsSilentAndGoesOnWhenItAnswers)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteLongFrames(dir.Path() / "long.ild");
    auto options = testsupport::LoopbackEmulator(dac::Kind::Idn);
    options.dropAfter = 0.8; // silent for a second
    emu::Emulator emulator(options);
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    const auto played =
        testsupport::RunProgram(dir.Path(), LUMIVEX_CLI,
                                {"play", "long.ild", "--dac", "idn:127.0.0.1:" + std::to_string(emulator.Port()),
                                 "--profile", "none", "--loop", "--seconds", "3"});
    EXPECT_EQ(played.exitCode, 0) << played.err;
    EXPECT_NE(played.err.find("the DAC does not answer"), std::string::npos) << played.err;
    EXPECT_NE(played.err.find("the DAC answers again"), std::string::npos) << played.err;
    EXPECT_NE(played.out.find(", 1 reconnections"), std::string::npos) << played.out;
    emulator.Stop();
}

TEST(DacsCommand, ShowsControlCharactersInANameEscaped)
{
    testsupport::TempDir dir("lumivex-dac");
    auto options = testsupport::LoopbackEmulator(dac::Kind::Idn);
    options.name = "\x1b]2;owned\x07\x1b[2J";
    emu::Emulator emulator(options);
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    const auto listed = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI,
        {"dacs", "--timeout", "0.5", "--no-broadcast", "--dac", "127.0.0.1:" + std::to_string(emulator.Port())});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("\\u001b]2;owned\\u0007\\u001b[2J"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find('\x1b'), std::string::npos);
    emulator.Stop();
}

TEST(LaserCubeCommands, ListedByItsTargetPlayedAndAnUnreadableTargetRefused)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteShow(dir.Path() / "show.ild", Line(20, 160, ilda::Rgb(0, 0, 255)));

    auto options = testsupport::LoopbackEmulator(dac::Kind::LaserCube);
    options.name = "cube";
    options.capacity = 6000;
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
