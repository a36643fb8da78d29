// ilda --scan through the real program: the JSON read back, the text
// report's shape, and the arguments it refuses.
#include "CliRunner.h"
#include "IldaBytes.h"
#include "JsonReader.h"

#include <sstream>

namespace {

using clitest::CliTest;
using clitest::Json;
using clitest::JsonReader;
using clitest::Result;

// Format 1 frames, default palette index 0 (red): a stroke from a blanked
// start, and the same stroke with its start lit.
const Bytes kTwoFrames = IldaSection(1, 0, 2, {{-10000, 0, 0, 0x40, 0}, {10000, 0, 0, 0x80, 0}}) +
                         IldaSection(1, 1, 2, {{0, 0, 0, 0, 0}, {20000, 0, 0, 0x80, 0}}) + IldaHeader(1, 0, 0, 0);

class IldaScan : public CliTest {};

TEST_F(IldaScan, JsonReadsBack)
{
    Put("two.ild", kTwoFrames);
    const Result r = Run({"ilda", "--scan=ilda-12k", "--json", "--tolerance", "0.5", "two.ild"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Json doc = JsonReader::Parse(r.out);
    EXPECT_EQ(doc["file"].text, "two.ild");
    const Json &profile = doc["profile"];
    EXPECT_EQ(profile["name"].text, "custom"); // a value given on its own makes it the user's
    EXPECT_DOUBLE_EQ(profile["rate"].real, 12000);
    EXPECT_DOUBLE_EQ(profile["cutoff"].real, 1000);
    EXPECT_DOUBLE_EQ(profile["litStep"].real, 1.6);
    EXPECT_DOUBLE_EQ(profile["blankStep"].real, 8);
    EXPECT_DOUBLE_EQ(profile["tolerance"].real, 0.5);
    ASSERT_EQ(profile["colorDelay"].items.size(), 3u);
    EXPECT_DOUBLE_EQ(profile["colorDelay"][2].real, 0);
    ASSERT_EQ(doc["frames"].items.size(), 2u);
    const Json &first = doc["frames"][0];
    EXPECT_EQ(first["index"].number, 0);
    EXPECT_EQ(first["points"].number, 2);
    EXPECT_NEAR(first["ms"].real, 2 / 12.0, 0.001);
    EXPECT_NEAR(first["hz"].real, 6000, 0.001);
    EXPECT_NEAR(first["litStepMax"].real, 30.518, 0.001);   // 20,000 of 65,536
    EXPECT_NEAR(first["blankStepMax"].real, 30.518, 0.001); // back to the start
    EXPECT_NEAR(first["stray"].real, 0, 0.001);
    EXPECT_EQ(doc["frames"][1]["index"].number, 1);
    for (const char *key : {"coverage", "stray", "strayShare"})
        EXPECT_EQ(doc["frames"][1][key].kind, Json::Kind::Number) << key;
}

TEST_F(IldaScan, TextHasALinePerFrameAndASummary)
{
    Put("two.ild", kTwoFrames);
    const Result r = Run({"ilda", "--scan", "two.ild"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<std::string> seen;
    for (std::string line; std::getline(lines, line);)
        seen.push_back(line);
    ASSERT_EQ(seen.size(), 4u) << r.out;
    EXPECT_EQ(seen[0].rfind("two.ild: scanner ilda-30k: 30000 points/s, cutoff 2500 Hz", 0), 0u) << seen[0];
    EXPECT_EQ(seen[1].rfind("frame 0: 2 points, 0.067 ms (15000.000 Hz), coverage ", 0), 0u) << seen[1];
    EXPECT_EQ(seen[3].rfind("two.ild: 2 frames, 4 points; lowest coverage ", 0), 0u) << seen[3];
    EXPECT_NE(seen[3].find("largest lit step 30.518 % (frame 0), above 1.6 %"), std::string::npos) << seen[3];
}

struct Refusal {
    const char *name;
    std::vector<std::string> args;
    const char *message;
};

class IldaScanRefuses : public CliTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(IldaScanRefuses, WithUsageStatus)
{
    Put("two.ild", kTwoFrames);
    std::vector<std::string> args = {"ilda"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const Result r = Run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, IldaScanRefuses,
    ::testing::Values(
        Refusal{"UnknownProfile", {"--scan=ilda-99k", "two.ild"}, "unknown profile ilda-99k"},
        Refusal{"NamedTwice", {"--scan=ilda-12k", "--profile", "ilda-30k", "two.ild"}, "--profile is given twice"},
        Refusal{
            "BadRate", {"--scan", "--rate", "0", "two.ild"}, "--rate takes points a second from 1 to 10000000, not 0"},
        Refusal{"OtherView", {"--scan", "--check", "two.ild"}, "leave out --check"},
        Refusal{"BadDelay", {"--scan", "--color-delay", "50,60", "two.ild"}, "--color-delay takes microseconds"},
        Refusal{"DelayTwice",
                {"--scan", "--color-delay", "5", "--color-delay", "6", "two.ild"},
                "--color-delay is given twice"},
        Refusal{"NoFile", {"--scan"}, "ilda needs a FILE"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
