// lumivex play --projector: frames corrected by the projector's stage, sent
// to the DAC its file names.
#include "LoopbackEmulator.h"
#include "RunProgram.h"
#include "TempDir.h"

#include "emulator/Emulator.h"
#include "ilda/Reading.h"
#include "ilda/Writing.h"
#include "rtl/Classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

void WriteShow(const std::filesystem::path &file)
{
    ilda::SectionWriter writer;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    std::vector<ilda::Point> points;
    for (int i = 0; i < 40; ++i) { // a square's outline, two colours
        const int side = i / 10, t = (i % 10) * 2000;
        ilda::Point p;
        p.x = static_cast<std::int16_t>(side == 0 ? -10000 + t : side == 1 ? 10000 : side == 2 ? 10000 - t : -10000);
        p.y = static_cast<std::int16_t>(side == 0 ? -10000 : side == 1 ? -10000 + t : side == 2 ? 10000 : 10000 - t);
        p.color = side < 2 ? ilda::Rgb(255, 0, 0) : ilda::Rgb(0, 255, 0);
        points.push_back(p);
    }
    writer.AddFrame(header, points);
    writer.AddEndMarker(header);
    writer.SaveToFile(file.string());
}

bool SameLight(const ilda::Point &a, const ilda::Point &b)
{
    return a.x == b.x && a.y == b.y && a.Blanked() == b.Blanked() && (a.Blanked() || a.color == b.color);
}

std::unique_ptr<emu::Emulator> IdnUnit()
{
    auto options = testsupport::LoopbackEmulator(dac::Kind::Idn);
    options.keep = true;
    auto emulator = std::make_unique<emu::Emulator>(options);
    std::string problem;
    EXPECT_TRUE(emulator->Start(problem)) << problem;
    return emulator;
}

// A projector file; dacPort 0: without a DAC of its own.
void WriteProjector(const std::filesystem::path &file, const char *geometry, std::uint16_t dacPort = 0)
{
    std::ofstream(file.string()) << R"({"version": 1, "scanner": {"profile": "ilda-30k", "colorDelay": 100},
               "geometry": )" << geometry
                                 << R"(,
               "zones": [{"kind": "blank", "points": [[-3000, -12000], [3000, -12000], [3000, -8000], [-3000, -8000]]}],
               "color": {"red": {"gain": 0.8, "min": 0.1, "curve": 1.5}})"
                                 << (dacPort ? ", \"dac\": \"idn:127.0.0.1:" + std::to_string(dacPort) + "\"" : "")
                                 << "}";
}

// The one frame optimize --projector writes of show.ild.
std::vector<ilda::Point> Optimized(const testsupport::TempDir &dir, const std::string &projector)
{
    const auto optimized = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI, {"optimize", "--force", "--projector", projector, "-o", "opt.ild", "show.ild"});
    EXPECT_EQ(optimized.exitCode, 0) << optimized.err;
    rtl::TFileStream file((dir.Path() / "opt.ild").string(), rtl::TFileMode::OpenRead);
    const ilda::Contents written = ilda::ReadAll(file);
    EXPECT_EQ(written.frames.size(), 1u);
    return written.frames.empty() ? std::vector<ilda::Point>{} : written.frames[0].points;
}

// Every frame the unit got between the blanked lead-in and lead-out is
// expected, point for point; how many there were.
std::size_t ShowsAsExpected(const emu::Emulator &emulator, const std::vector<ilda::Point> &expected)
{
    std::size_t shows = 0;
    for (const auto &frame : emulator.Recording()) {
        if (std::all_of(frame.begin(), frame.end(), [](const ilda::Point &p) { return p.Blanked(); }))
            continue;
        if (frame.size() != expected.size() || !std::equal(frame.begin(), frame.end(), expected.begin(), SameLight))
            return 0;
        ++shows;
    }
    return shows;
}

const char *kRotated =
    R"({"rotate": 20, "keystone": [[-30000, -32000], [30000, -32000], [26000, 30000], [-26000, 30000]]})";

// What a laser gets through play --projector is, frame for frame, what
// optimize --projector writes for other software to play.
TEST(PlayCommand, SendsWhatOptimizeWritesForTheProjector)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteShow(dir.Path() / "show.ild");
    const auto unit = IdnUnit();
    WriteProjector(dir.Path() / "p.json", kRotated, unit->Port());
    // A whole second: on a loaded machine the show's clock skips slots.
    const auto played = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI, {"play", "show.ild", "--projector", "p.json", "--loop", "--seconds", "1"});
    unit->Stop();
    ASSERT_EQ(played.exitCode, 0) << played.err;
    EXPECT_GT(ShowsAsExpected(*unit, Optimized(dir, "p.json")), 2u);
}

// Two projectors, each with its own setup: each DAC gets its own corrections.
TEST(PlayCommand, EachDacGoesThroughItsOwnProjector)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteShow(dir.Path() / "show.ild");
    const auto left = IdnUnit(), right = IdnUnit();
    WriteProjector(dir.Path() / "left.json", kRotated);
    WriteProjector(dir.Path() / "right.json", R"({"flipX": true, "size": [80, 60]})");
    const auto at = [](const emu::Emulator &unit) { return "idn:127.0.0.1:" + std::to_string(unit.Port()); };
    const auto played =
        testsupport::RunProgram(dir.Path(), LUMIVEX_CLI,
                                {"play", "show.ild", "--dac", at(*left), "--projector", "left.json", "--dac",
                                 at(*right), "--projector", "right.json", "--loop", "--seconds", "0.5"});
    left->Stop();
    right->Stop();
    ASSERT_EQ(played.exitCode, 0) << played.err;
    EXPECT_GT(ShowsAsExpected(*left, Optimized(dir, "left.json")), 2u);
    EXPECT_GT(ShowsAsExpected(*right, Optimized(dir, "right.json")), 2u);
}

TEST(PlayCommand, ProjectorFileNamesTheDacAndTheScanner)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteShow(dir.Path() / "show.ild");

    emu::Emulator emulator(testsupport::LoopbackEmulator());
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    std::ofstream((dir.Path() / "p.json").string())
        << R"({"version": 1, "scanner": {"profile": "ilda-12k"}, "geometry": {"rotate": 30},
               "dac": "etherdream:127.0.0.1:)"
        << emulator.Port() << "\"}";
    const auto played = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI, {"play", "show.ild", "--projector", "p.json", "--loop", "--seconds", "0.5"});
    EXPECT_EQ(played.exitCode, 0) << played.err;
    EXPECT_NE(played.out.find("at 12000 points a second"), std::string::npos) << played.out;
    EXPECT_GT(emulator.Figures().pointsReceived, 3000u);

    const auto twice = testsupport::RunProgram(dir.Path(), LUMIVEX_CLI,
                                               {"play", "show.ild", "--projector", "p.json", "--profile", "ilda-30k"});
    EXPECT_EQ(twice.exitCode, 2);
    EXPECT_NE(twice.err.find("--projector names the scanner itself"), std::string::npos) << twice.err;
    emulator.Stop();
}

} // namespace
