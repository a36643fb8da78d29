// lumivex play --projector: frames corrected by the projector's stage, sent
// to the DAC its file names.
#include "RunProgram.h"
#include "TempDir.h"

#include "emulator/Emulator.h"
#include "ilda/Writing.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(PlayCommand, ProjectorFileNamesTheDacAndTheScanner)
{
    testsupport::TempDir dir("lumivex-dac");
    ilda::SectionWriter writer;
    ilda::Header header;
    header.format = ilda::kFormat2dTrueColor;
    std::vector<ilda::Point> points(20);
    for (std::size_t i = 0; i < points.size(); ++i) {
        points[i].x = static_cast<std::int16_t>(i * 1000);
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
