// ilda: the standard reading through the real program, as the listing, the
// summary, the conformance report and JSON, exactly as printed.
#include "CliRunner.h"
#include "IldaBytes.h"

namespace {

using clitest::CliTest;
using clitest::Result;

// A palette of two colours, a 3D indexed frame, a 2D true-colour frame, the end.
const Bytes kMixedFile = Named(IldaHeader(2, 2, 0, 0), "pal") + Bytes{10, 20, 30, 40, 50, 60} +
                         Named(IldaHeader(0, 2, 0, 2), "bat", "Lumivex") + Bytes{0xff, 0x9c, 0, 100, 0, 7, 0, 1} +
                         Bytes{0, 1, 0, 2, 0, 3, 0xC0, 0} + Named(IldaHeader(5, 1, 1, 2), "", "x") +
                         Bytes{0x80, 0, 0x7f, 0xff, 0x80, 0x01, 0x02, 0x03} + IldaHeader(0, 0, 0, 0);

struct ViewCase {
    const char *name;
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    const char *err = nullptr; // checked when given
};

class IldaView : public CliTest, public ::testing::WithParamInterface<ViewCase> {};

TEST_P(IldaView, PrintsExactly)
{
    Put("m.ild", kMixedFile);
    Put("bad.ild", Bytes(kMixedFile.begin(), kMixedFile.end() - 32 - 3)); // no end marker, the last record cut
    // A frame number out of order (seen in the headers) and the last-point bit missing (seen in the points).
    Put("n.ild", IldaHeader(0, 2, 3, 1) + Bytes(16, 0) + IldaHeader(0, 0, 0, 0));
    std::filesystem::create_directory(Dir() / "dir.ild");
    const ViewCase &c = GetParam();
    const Result r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(r.out, c.out);
    if (c.err) {
        EXPECT_EQ(r.err, c.err);
    }
}

const std::string kHead =
    "palette: 2 colours, name \"pal\", offset 0\n"
    "frame 0: 2 points, format 0, name \"bat\", company \"Lumivex\", number 0 of 2, projector 0, "
    "offset 38\n";
const std::string kConforms = "m.ild: conforms to the ILDA standard (2 frames)\n";

// The JSON document of m.ild. Colours are 0x00BBGGRR: 3945000 is 0x3C3228,
// index 1 of the file's palette (red 40, green 50, blue 60).
std::string Json(bool points)
{
    return std::string(R"({"file": "m.ild", "frames": [{"index": 0, "name": "bat", "company": "Lumivex", )") +
           R"("format": 0, "number": 0, "total": 2, "projector": 0, "offset": 38, "pointCount": 2)" +
           (points ? R"(, "points": [[-100, 100, 7, 0, 1, 3945000, "#28323C"], [1, 2, 3, 192, 0, 0, "#000000"]]}, )"
                   : "}, ") +
           R"({"index": 1, "name": "", "company": "x", "format": 5, "number": 1, "total": 2, "projector": 0, )" +
           R"("offset": 86, "pointCount": 1)" +
           (points ? R"(, "points": [[-32768, 32767, 0, 128, null, 66051, "#030201"]]}])" : "}]") +
           R"(, "palettes": [{"offset": 0, "name": "pal", "colors": [1971210, 3945000], )" +
           R"("rgb": ["#0A141E", "#28323C"]}])" + (points ? "" : R"(, "checked": "headers")") +
           R"(, "warnings": [], "errors": []})" + "\n";
}

INSTANTIATE_TEST_SUITE_P(
    Views, IldaView,
    ::testing::Values(
        ViewCase{"Listing",
                 {"ilda", "m.ild"},
                 0,
                 kHead + "  -100 100 7  status 0  index 1  color 0x3C3228  rgb #28323C\n"
                         "  1 2 3  status 192  index 0  color 0x000000  rgb #000000\n"
                         "frame 1: 1 point, format 5, name \"\", company \"x\", number 1 of 2, projector 0, offset 86\n"
                         "  -32768 32767 0  status 128  index -  color 0x010203  rgb #030201\n",
                 ""},
        ViewCase{"Json", {"ilda", "--json", "m.ild"}, 0, Json(true), ""},
        // One document per file; a file that cannot be opened is told, with its reason, and skipped.
        ViewCase{"SummaryJsonOfSeveralFiles",
                 {"ilda", "--summary", "--json", "m.ild", "dir.ild", "m.ild"},
                 1,
                 Json(false) +
                     R"({"file": "dir.ild", "error": "Cannot open dir.ild: is a directory"})"
                     "\n" +
                     Json(false),
                 "Cannot open dir.ild: is a directory\n"},
        // The summary counts only what the headers show, and says so.
        ViewCase{"SummaryCountsTheHeaders",
                 {"ilda", "--summary", "n.ild"},
                 0,
                 "frame 0: 2 points, format 0, name \"\", company \"\", number 3 of 1, projector 0, offset 0\n",
                 "n.ild: 1 deviation in the headers; run 'lumivex ilda --check' for all\n"},
        ViewCase{"CheckAsJson",
                 {"ilda", "--check", "--json", "bad.ild", "m.ild"},
                 1,
                 R"({"file": "bad.ild", "deviations": [{"code": "frame-cut-short", "offset": 123, "frame": 1, )"
                 R"("text": "the file ends inside the points of frame 1: 0 of 1 read"}], "conforms": false, )"
                 R"("frames": 2})"
                 "\n"
                 R"({"file": "m.ild", "deviations": [], "conforms": true, "frames": 2})"
                 "\n",
                 ""},
        // From the headers alone, without the points; the cut frame tells how many are there.
        ViewCase{
            "SummaryOfACutFile",
            {"ilda", "--summary", "bad.ild"},
            1,
            kHead +
                "frame 1: 0 of 1 point, format 5, name \"\", company \"x\", number 1 of 2, projector 0, offset 86\n"},
        ViewCase{"CheckOfSeveralFiles",
                 {"ilda", "--check", "m.ild", "bad.ild", "m.ild"},
                 1,
                 kConforms +
                     "bad.ild: byte 123: the file ends inside the points of frame 1: 0 of 1 read\n"
                     "bad.ild: 1 deviation from the ILDA standard\n" +
                     kConforms,
                 ""}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
