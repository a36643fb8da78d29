// ilda: the standard reading through the real program, as text, JSON,
// summary and conformance report.
#include "CliRunner.h"
#include "JsonReader.h"

#include <algorithm>

namespace {

using clitest::CliTest;
using clitest::Json;
using clitest::JsonReader;
using clitest::Result;
using Bytes = std::vector<std::uint8_t>;

Bytes operator+(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Header(std::uint8_t format, std::uint8_t records, std::uint8_t number, std::uint8_t total,
             const std::string &name = "", const std::string &company = "")
{
    Bytes h{'I', 'L', 'D', 'A', 0, 0, 0, format};
    for (const std::string &text : {name, company}) {
        std::string field = text;
        field.resize(8, '\0');
        h.insert(h.end(), field.begin(), field.end());
    }
    return h + Bytes{0, records, 0, number, 0, total, 0, 0};
}

// A palette of two colours, a 3D indexed frame, a 2D true-colour frame, the end.
const Bytes &MixedFile()
{
    static const Bytes bytes = Header(2, 2, 0, 0, "pal") + Bytes{10, 20, 30, 40, 50, 60} +                        //
                               Header(0, 2, 0, 2, "bat", "Lumivex") + Bytes{0xff, 0x9c, 0, 100, 0, 7, 0, 1} +     //
                               Bytes{0, 1, 0, 2, 0, 3, 0xC0, 0} +                                                 //
                               Header(5, 1, 1, 2, "", "x") + Bytes{0x80, 0, 0x7f, 0xff, 0x80, 0x01, 0x02, 0x03} + //
                               Header(0, 0, 0, 0);
    return bytes;
}

using IldaStandard = CliTest;

TEST_F(IldaStandard, JsonHoldsFramesPalettesAndMessages)
{
    Put("m.ild", MixedFile());
    const Result r = Run({"ilda", "--json", "m.ild"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Json json = JsonReader::Parse(r.out);
    ASSERT_EQ(json["frames"].items.size(), 2u);
    const Json &f0 = json["frames"][0];
    EXPECT_EQ(f0["index"].number, 0);
    EXPECT_EQ(f0["name"].text, "bat");
    EXPECT_EQ(f0["company"].text, "Lumivex");
    EXPECT_EQ(f0["format"].number, 0);
    EXPECT_EQ(f0["number"].number, 0);
    EXPECT_EQ(f0["total"].number, 2);
    EXPECT_EQ(f0["projector"].number, 0);
    EXPECT_EQ(f0["offset"].number, 38);
    EXPECT_EQ(f0["pointCount"].number, 2);
    const auto numbers = [](const Json &point) {
        std::vector<long long> n;
        for (const Json &item : point.items)
            n.push_back(item.kind == Json::Kind::Null ? -1 : item.number);
        return n;
    };
    // Index 0 of the file's palette: red 10, green 20, blue 30.
    EXPECT_EQ(numbers(f0["points"][0]), (std::vector<long long>{-100, 100, 7, 0, 1, 0x3C3228}));
    EXPECT_EQ(numbers(f0["points"][1]), (std::vector<long long>{1, 2, 3, 0xC0, 0, 0}));
    const Json &f1 = json["frames"][1];
    EXPECT_EQ(f1["company"].text, "x");
    EXPECT_EQ(f1["offset"].number, 38 + 48);
    EXPECT_EQ(numbers(f1["points"][0]), (std::vector<long long>{-32768, 32767, 0, 0x80, -1, 0x010203}));

    ASSERT_EQ(json["palettes"].items.size(), 1u);
    EXPECT_EQ(json["palettes"][0]["offset"].number, 0);
    EXPECT_EQ(json["palettes"][0]["name"].text, "pal");
    EXPECT_EQ(numbers(json["palettes"][0]["colors"]), (std::vector<long long>{0x1E140A, 0x3C3228}));
    EXPECT_TRUE(json["warnings"].items.empty());
    EXPECT_TRUE(json["errors"].items.empty());
}

struct ViewCase {
    const char *name;
    std::vector<std::string> args;
    int exitCode;
    std::string out;
};

class IldaView : public CliTest, public ::testing::WithParamInterface<ViewCase> {};

TEST_P(IldaView, PrintsExactly)
{
    Put("m.ild", MixedFile());
    Bytes bad = MixedFile();
    bad.resize(bad.size() - 32 - 3); // no end marker, the last record cut
    Put("bad.ild", bad);
    const Result r = Run(GetParam().args);
    EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err;
    EXPECT_EQ(r.out, GetParam().out);
}

const std::string kFrameLines =
    "frame 0: 2 points, format 0, name \"bat\", company \"Lumivex\", number 0 of 2, projector 0, offset 38\n";
const std::string kSecondFrameLine =
    "frame 1: 1 point, format 5, name \"\", company \"x\", number 1 of 2, projector 0, offset 86\n";

INSTANTIATE_TEST_SUITE_P(
    Views, IldaView,
    ::testing::Values(
        ViewCase{"Listing",
                 {"ilda", "m.ild"},
                 0,
                 "palette: 2 colours, name \"pal\", offset 0\n" + kFrameLines +
                     "  -100 100 7  status 0  index 1  color 0x3C3228\n"
                     "  1 2 3  status 192  index 0  color 0x000000\n" +
                     kSecondFrameLine + "  -32768 32767 0  status 128  index -  color 0x010203\n"},
        ViewCase{"Summary",
                 {"ilda", "--summary", "m.ild"},
                 0,
                 "palette: 2 colours, name \"pal\", offset 0\n" + kFrameLines + kSecondFrameLine},
        ViewCase{
            "SummaryOfACutFile",
            {"ilda", "--summary", "bad.ild"},
            1,
            "palette: 2 colours, name \"pal\", offset 0\n" + kFrameLines +
                "frame 1: 0 of 1 point, format 5, name \"\", company \"x\", number 1 of 2, projector 0, offset 86\n"},
        ViewCase{"Conforms", {"ilda", "--check", "m.ild"}, 0, "m.ild: conforms to the ILDA standard (2 frames)\n"},
        ViewCase{"Deviates",
                 {"ilda", "--check", "bad.ild"},
                 1,
                 "bad.ild: byte 123: the file ends inside the points of frame 1: 0 of 1 read\n"
                 "bad.ild: 1 deviation from the ILDA standard\n"},
        ViewCase{"SeveralFiles",
                 {"ilda", "--check", "m.ild", "bad.ild", "m.ild"},
                 1,
                 "m.ild: conforms to the ILDA standard (2 frames)\n"
                 "bad.ild: byte 123: the file ends inside the points of frame 1: 0 of 1 read\n"
                 "bad.ild: 1 deviation from the ILDA standard\n"
                 "m.ild: conforms to the ILDA standard (2 frames)\n"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(IldaStandard, SummaryJsonLeavesOutThePointsOneDocumentPerFile)
{
    Put("m.ild", MixedFile());
    const Result r = Run({"ilda", "--summary", "--json", "m.ild", "gone.ild", "m.ild"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Can't open file gone.ild.\n");
    ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
    const Json json = JsonReader::Parse(r.out.substr(0, r.out.find('\n')));
    EXPECT_EQ(json["file"].text, "m.ild");
    ASSERT_EQ(json["frames"].items.size(), 2u);
    EXPECT_EQ(json["frames"][1]["pointCount"].number, 1);
    EXPECT_EQ(json["frames"][1].fields.count("points"), 0u);
}

} // namespace
