#include "projector/Json.h"
#include "projector/Setup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

using ProjectorSetup = projector::Setup;

// A file that differs from a plain one in one place.
std::string With(const std::string &inside)
{
    return "{\"version\": 1" + (inside.empty() ? std::string() : ", " + inside) + "}";
}

struct Refused {
    const char *json; // the members after "version"
    const char *says; // the start of the message
};

class SetupRefusal : public testing::TestWithParam<Refused> {};

TEST_P(SetupRefusal, NamesTheKey)
{
    const auto setup = projector::SetupFromJson(With(GetParam().json));
    ASSERT_FALSE(setup.ok());
    EXPECT_EQ(setup.failure().code, projector::kRefused);
    EXPECT_EQ(setup.message().rfind(GetParam().says, 0), 0u) << setup.message();
}

INSTANTIATE_TEST_SUITE_P(
    Files, SetupRefusal,
    testing::Values(
        Refused{"\"colour\": {}", "colour: unknown key"},
        Refused{"\"geometry\": {\"flipx\": true}", "geometry.flipx: unknown key"},
        Refused{"\"geometry\": {\"flipX\": 1}", "geometry.flipX: must be true or false"},
        Refused{"\"geometry\": {\"size\": [100, 0]}", "geometry.size[1]: must be above 0"},
        Refused{"\"geometry\": {\"keystone\": [[0,0],[1,0],[1,1]]}", "geometry.keystone: must hold 4"},
        Refused{"\"geometry\": {\"keystone\": [[-100,-100],[100,-100],[-100,100],[100,100]]}",
                "geometry.keystone: the corners must make a convex shape"},
        Refused{"\"geometry\": {\"keystone\": [[-40000,-100],[100,-100],[100,100],[-100,100]]}",
                "geometry.keystone[0][0]: must be from"},
        Refused{"\"color\": {\"red\": {\"gain\": 1.5}}", "color.red.gain: must be from 0 to 1"},
        Refused{"\"color\": {\"blue\": {\"curve\": [0, 50, 40, 75, 100]}}", "color.blue.curve[2]: must not be below"},
        Refused{"\"color\": {\"brightness\": -1}", "color.brightness: must be from 0 to 100"},
        Refused{"\"scanner\": {\"profile\": \"fast\"}", "scanner.profile: unknown profile fast"},
        Refused{"\"scanner\": {\"colorDelay\": [100, 100]}", "scanner.colorDelay: must hold 3"},
        Refused{"\"scanner\": {\"colorDelay\": -5}", "scanner.colorDelay[0]: must be from 0"},
        Refused{"\"scanner\": {\"rate\": 0}", "scanner.rate: must be above 0"},
        Refused{"\"zones\": [{\"kind\": \"blank\", \"points\": [[0,0],[10,0],[10,10],[0,10]]},"
                " {\"kind\": \"blank\", \"points\": [[0,0],[10,10],[10,0],[0,10]]}]",
                "zones[1].points: the polygon crosses itself"},
        Refused{"\"zones\": [{\"kind\": \"blank\", \"points\": [[0,0],[10,0]]}]", "zones[0].points: must hold 3"},
        Refused{"\"zones\": [{\"kind\": \"off\", \"points\": []}]", "zones[0].kind: must be blank or dim"},
        Refused{"\"zones\": [{\"kind\": \"dim\", \"points\": [[0,0],[10,0],[0,10]]}]", "zones[0].brightness: missing"},
        Refused{"\"limits\": {\"left\": 100, \"right\": 100}", "limits.right: must be above 100"},
        Refused{"\"dac\": \"laser:1.2.3.4\"", "dac: "}, Refused{"\"dac\": 5", "dac: must be a string"},
        Refused{"\"version\": 1", "line 1, column 16: the key \"version\" is given twice"}));

TEST(SetupFile, VersionIsRequiredAndKnown)
{
    EXPECT_EQ(projector::SetupFromJson("{}").message(), "version: missing");
    EXPECT_EQ(projector::SetupFromJson("{\"version\": 2}").message().rfind("version: must be 1", 0), 0u);
}

TEST(SetupFile, WrittenTextReadsBackTheSame)
{
    ProjectorSetup setup;
    setup.scanner = *scan::FindProfile("ilda-12k");
    setup.scanner.colorDelay = {120, 150, 90};
    setup.color.brightness = 80;
    setup.color.channels[1] = {0.75, 0.1, 1, std::array<double, 5>{0, 30, 55, 80, 100}};
    setup.color.channels[2].gamma = 2.2;
    setup.geometry.flipY = true;
    setup.geometry.size = {90, 80.5};
    setup.geometry.rotate = -12.25;
    setup.geometry.keystone[2] = {30000, 31000};
    setup.zones.push_back({projector::ZoneKind::Dim, 30, {{0, 0}, {1000, 0}, {500, 900}}});
    setup.limits.top = 20000;
    setup.dac = "idn:127.0.0.1:7255";
    const auto read = projector::SetupFromJson(projector::SetupToJson(setup));
    ASSERT_TRUE(read.ok()) << read.message();
    EXPECT_EQ(*read, setup);

    setup.scanner.rate = 25000; // a scanner of its own has no profile name
    const auto custom = projector::SetupFromJson(projector::SetupToJson(setup));
    ASSERT_TRUE(custom.ok()) << custom.message();
    EXPECT_EQ(custom->scanner.name, "custom");
    EXPECT_EQ(custom->scanner.rate, 25000);
}

TEST(SetupFile, SaveKeepsAnExistingFileWhenAsked)
{
    const auto dir = std::filesystem::temp_directory_path() / ("setup-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string name = (dir / "p.json").string();
    const auto keep = rtl::TSaveFileStream::TExisting::Keep;
    ASSERT_TRUE(projector::SaveSetup(ProjectorSetup{}, name, name, keep).ok());
    EXPECT_EQ(projector::SaveSetup(ProjectorSetup{}, name, name, keep).failure().code, projector::kAlreadyThere);
    const auto loaded = projector::LoadSetup(name);
    ASSERT_TRUE(loaded.ok()) << loaded.message();
    EXPECT_EQ(*loaded, ProjectorSetup{});
    std::filesystem::remove_all(dir);
}

struct BadJson {
    const char *text;
    const char *says;
};

class JsonRefusal : public testing::TestWithParam<BadJson> {};

TEST_P(JsonRefusal, SaysWhere)
{
    const auto value = projector::ParseJson(GetParam().text);
    ASSERT_FALSE(value.ok());
    EXPECT_EQ(value.message(), GetParam().says);
}

INSTANTIATE_TEST_SUITE_P(Texts, JsonRefusal,
                         testing::Values(BadJson{"", "line 1, column 1: a value is missing"},
                                         BadJson{"[1,]", "line 1, column 4: not a JSON value"},
                                         BadJson{"{\"a\": 1,\n \"b\" 2}", "line 2, column 6: expected ':'"},
                                         BadJson{"\"abc", "line 1, column 5: a string is not closed"},
                                         BadJson{"01", "line 1, column 2: text after the value"},
                                         BadJson{"1e999", "line 1, column 1: a number out of range"},
                                         BadJson{"\"\\ud800\"", "line 1, column 8: half a surrogate pair"},
                                         BadJson{"[1] // note", "line 1, column 5: text after the value"}));

struct Text {
    const char *json;
    const char *means;
};

class JsonString : public testing::TestWithParam<Text> {};

// Escapes read as meant, and what the writer quotes reads back the same.
TEST_P(JsonString, ReadsAndQuotesBack)
{
    const auto value = projector::ParseJson(GetParam().json);
    ASSERT_TRUE(value.ok()) << value.message();
    EXPECT_EQ(value->text, GetParam().means);
    const auto again = projector::ParseJson(projector::JsonQuoted(value->text));
    ASSERT_TRUE(again.ok()) << again.message();
    EXPECT_EQ(again->text, GetParam().means);
}

INSTANTIATE_TEST_SUITE_P(Escapes, JsonString,
                         testing::Values(Text{R"("a\"b\\c\/d")", "a\"b\\c/d"}, Text{R"("tab\tnew\n")", "tab\tnew\n"},
                                         Text{R"("\u0001x")", "\x01x"}, Text{R"("\u00e9")", "\xC3\xA9"},
                                         Text{R"("\ud83d\ude00")", "\xF0\x9F\x98\x80"}));

TEST(Json, DepthIsBounded)
{
    const std::string deep(100000, '[');
    const auto value = projector::ParseJson(deep);
    ASSERT_FALSE(value.ok());
    EXPECT_NE(value.message().find("nested deeper than"), std::string::npos);
}

} // namespace
