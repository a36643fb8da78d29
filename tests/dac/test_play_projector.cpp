// lumivex play --projector: frames corrected by the projector's stage, sent
// to the DAC its file names.
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

// What a laser gets through play --projector is, frame for frame, what
// optimize --projector writes for other software to play.
TEST(PlayCommand, SendsWhatOptimizeWritesForTheProjector)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteShow(dir.Path() / "show.ild");
    emu::EmulatorOptions options;
    options.kind = dac::Kind::Idn;
    options.port = 0;
    options.broadcastTo.clear();
    options.keep = true;
    emu::Emulator emulator(options);
    std::string problem;
    ASSERT_TRUE(emulator.Start(problem)) << problem;
    std::ofstream((dir.Path() / "p.json").string())
        << R"({"version": 1, "scanner": {"profile": "ilda-30k", "colorDelay": 100},
               "geometry": {"rotate": 20, "keystone": [[-30000, -32000], [30000, -32000], [26000, 30000], [-26000, 30000]]},
               "zones": [{"kind": "blank", "points": [[-3000, -12000], [3000, -12000], [3000, -8000], [-3000, -8000]]}],
               "color": {"red": {"gain": 0.8, "min": 0.1, "curve": 1.5}},
               "dac": "idn:127.0.0.1:)"
        << emulator.Port() << "\"}";
    const auto played = testsupport::RunProgram(
        dir.Path(), LUMIVEX_CLI, {"play", "show.ild", "--projector", "p.json", "--loop", "--seconds", "0.3"});
    emulator.Stop();
    ASSERT_EQ(played.exitCode, 0) << played.err;
    const auto optimized = testsupport::RunProgram(dir.Path(), LUMIVEX_CLI,
                                                   {"optimize", "--projector", "p.json", "-o", "opt.ild", "show.ild"});
    ASSERT_EQ(optimized.exitCode, 0) << optimized.err;
    rtl::TFileStream file((dir.Path() / "opt.ild").string(), rtl::TFileMode::OpenRead);
    const ilda::Contents written = ilda::ReadAll(file);
    ASSERT_EQ(written.frames.size(), 1u);
    const std::vector<ilda::Point> &expected = written.frames[0].points;

    std::size_t shows = 0;
    for (const auto &frame : emulator.Recording()) {
        const bool leadInOrOut =
            std::all_of(frame.begin(), frame.end(), [](const ilda::Point &p) { return p.Blanked(); });
        if (leadInOrOut)
            continue;
        ASSERT_EQ(frame.size(), expected.size());
        for (std::size_t i = 0; i < frame.size(); ++i)
            ASSERT_TRUE(SameLight(frame[i], expected[i])) << "point " << i;
        ++shows;
    }
    EXPECT_GT(shows, 2u);
}

TEST(PlayCommand, ProjectorFileNamesTheDacAndTheScanner)
{
    testsupport::TempDir dir("lumivex-dac");
    WriteShow(dir.Path() / "show.ild");

    emu::EmulatorOptions options;
    options.broadcastTo.clear();
    emu::Emulator emulator(options);
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
