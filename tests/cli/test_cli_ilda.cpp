// ilda --legacy: TIldaFile's frames and messages, as text and as JSON.
#include "CliRunner.h"
#include "JsonReader.h"

#include "ilda/IldaObj.h"
#include "rtl/Classes.h"
#include "rtl/Messages.h"

#include <algorithm>

namespace {

using clitest::CliTest;
using clitest::Json;
using clitest::JsonReader;
using clitest::Result;

std::vector<std::uint8_t> sampleIlda()
{
    TIldaFile file;
    auto first = std::make_unique<TFrm>();
    first->AddPoint(-32640, 32640, 0, 0xFF, 0, 5);
    first->AddPoint(100, -100, 7, 0xFF, 0x40, 255); // blanked
    first->AddPoint(32385, -32385, -12, 0xFF, 0x80, 255);
    file.Add(std::move(first));
    file.Add(std::make_unique<TFrm>()); // a frame without points
    auto third = std::make_unique<TFrm>();
    for (int i = 0; i < 50; ++i)
        third->AddPoint(i * 100, -i * 100, i, 0, i == 49 ? 0xC0 : 0, static_cast<std::uint8_t>(i));
    file.Add(std::move(third));
    rtl::TMemoryStream stream;
    file.SaveToStream(stream);
    return stream.Bytes();
}

// Loads bytes the way the command does and keeps the messages.
struct Loaded {
    TIldaFile file;
    std::vector<std::string> messages;
};

std::unique_ptr<Loaded> readBack(const std::vector<std::uint8_t> &bytes)
{
    auto loaded = std::make_unique<Loaded>();
    rtl::MessageRecorder recorder;
    rtl::TMemoryStream stream(bytes);
    loaded->file.LoadFromStream(stream);
    loaded->messages = recorder.Messages();
    return loaded;
}

void expectSameAsReader(const Json &json, const Loaded &loaded)
{
    ASSERT_EQ(json["frames"].items.size(), static_cast<std::size_t>(loaded.file.Count()));
    for (int f = 0; f < loaded.file.Count(); ++f) {
        const TFrm &frame = *loaded.file.GetFrame(f);
        const Json &jf = json["frames"][static_cast<std::size_t>(f)];
        EXPECT_EQ(jf["name"].text, frame.Name.Str());
        ASSERT_EQ(jf["points"].items.size(), static_cast<std::size_t>(frame.Count()));
        for (int i = 0; i < frame.Count(); ++i) {
            const TPtRec &p = frame.GetPoint(i)->Data;
            const Json &jp = jf["points"][static_cast<std::size_t>(i)];
            ASSERT_EQ(jp.items.size(), 6u);
            EXPECT_EQ(jp[0].number, p.X);
            EXPECT_EQ(jp[1].number, p.Y);
            EXPECT_EQ(jp[2].number, p.Z);
            EXPECT_EQ(jp[3].number, p.Status);
            EXPECT_EQ(jp[4].number, p.ColorIndex);
            EXPECT_EQ(jp[5].number, static_cast<long long>(p.Color));
        }
    }
    ASSERT_EQ(json["messages"].items.size(), loaded.messages.size());
    for (std::size_t m = 0; m < loaded.messages.size(); ++m)
        EXPECT_EQ(json["messages"][m].text, loaded.messages[m]);
}

// ---- JSON equals what the reader holds

struct JsonCase {
    const char *name;
    std::vector<std::uint8_t> bytes;
    int exitCode;
    std::vector<std::string> messages;
};

// A 32-byte section header: signature, format code, point count, total frames.
std::vector<std::uint8_t> header(const char *signature, std::uint8_t format, std::uint8_t points, std::uint8_t frames)
{
    std::vector<std::uint8_t> bytes(32, 0);
    std::copy(signature, signature + 4, bytes.begin());
    bytes[7] = format;
    bytes[25] = points;
    bytes[29] = frames;
    return bytes;
}

std::vector<std::uint8_t> formatOneSection()
{
    std::vector<std::uint8_t> bytes = header("ILDA", 1, 1, 1);
    for (std::uint8_t b : {0x00, 0x64, 0xFF, 0x9C, 0x00, 0x07})
        bytes.push_back(b);
    return bytes;
}

std::vector<std::uint8_t> cutShort(std::vector<std::uint8_t> bytes, std::size_t drop)
{
    bytes.erase(bytes.end() - static_cast<std::ptrdiff_t>(drop), bytes.end());
    return bytes;
}

std::vector<std::uint8_t> wrongSignature()
{
    std::vector<std::uint8_t> bytes = header("ILDB", 0, 1, 1);
    bytes.insert(bytes.end(), 8, 0);
    return bytes;
}

class IldaJson : public CliTest, public ::testing::WithParamInterface<JsonCase> {};

TEST_P(IldaJson, ParsesBackToTheReadersFrames)
{
    const JsonCase &c = GetParam();
    Put("in.ild", c.bytes);
    const Result r = Run({"ilda", "--legacy", "in.ild", "--json"});
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.err, "");
    Json json;
    ASSERT_NO_THROW(json = JsonReader::Parse(r.out)) << r.out;
    const auto loaded = readBack(c.bytes);
    EXPECT_EQ(loaded->messages, c.messages);
    expectSameAsReader(json, *loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Files, IldaJson,
    ::testing::Values(JsonCase{"written", sampleIlda(), 0, {}},
                      JsonCase{"formatOne", formatOneSection(), 0, {}},
                      JsonCase{"cutInALastRecord", cutShort(sampleIlda(), 3), 1, {"Unexpected end of file."}},
                      JsonCase{"wrongSignature", wrongSignature(), 1, {"File error.  ", "Total Frames = 0"}},
                      JsonCase{"empty", {}, 1, {"File error.  ", "Total Frames = 0"}}),
    [](const auto &info) { return std::string(info.param.name); });

using Ilda = CliTest;

TEST_F(Ilda, FormatOnePointByHand)
{
    Put("one.ild", formatOneSection());
    const Json json = JsonReader::Parse(Run({"ilda", "--legacy", "one.ild", "--json"}).out);
    const Json &p = json["frames"][0]["points"][0];
    EXPECT_EQ(json["frames"][0]["name"].text, "Frame 0");
    EXPECT_EQ(p[0].number, 100);
    EXPECT_EQ(p[1].number, -100);
    EXPECT_EQ(p[4].number, 7);
    EXPECT_EQ(p[5].number, 0xFFFFFF); // white in the palette
}

TEST_F(Ilda, PlainTextOneLinePerFrameAndPoint)
{
    Put("in.ild", sampleIlda());
    const Result r = Run({"ilda", "--legacy", "in.ild"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Frame 0: 3 points");
    EXPECT_NE(r.out.find("\nFrame 1: 0 points\nFrame 2: 50 points\n"), std::string::npos) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3 + 3 + 50);
}

TEST_F(Ilda, PlainTextMessagesGoToStderr)
{
    Put("bad.ild", wrongSignature());
    const Result r = Run({"ilda", "--legacy", "bad.ild"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "bad.ild: File error.  \nbad.ild: Total Frames = 0\n");
}

TEST_F(Ilda, FileThatCannotBeOpened)
{
    const Result r = Run({"ilda", "--legacy", "gone.ild", "--json"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "{\"file\": \"gone.ild\", \"error\": \"Cannot open gone.ild: no such file or directory\"}\n");
    EXPECT_EQ(r.err, "Cannot open gone.ild: no such file or directory\n");
}

} // namespace
