// Every malformed file of tests/data/malformed through the real `lumivex`:
// the exit status and the exact message its index (cases.tsv) gives, no
// crash, and nothing written or changed in the folder.
#include "FileBytes.h"
#include "RunProgram.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testsupport::RunProgram;

namespace {

struct Case {
    std::string file;
    std::vector<std::string> args; // FILE and OUT still unresolved
    int exitStatus = 0;
    std::string err;
    std::string why;
    int line = 0;
};

void PrintTo(const Case &c, std::ostream *os) { *os << c.file << " " << c.args[0]; }

std::vector<std::string> Split(const std::string &s, char sep)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, sep)) parts.push_back(part);
    if (!s.empty() && s.back() == sep) parts.emplace_back();
    return parts;
}

std::string Unescape(const std::string &s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            ++i;
            out += s[i] == 'n' ? '\n' : s[i] == 't' ? '\t' : s[i];
        } else {
            out += s[i];
        }
    }
    return out;
}

std::vector<Case> LoadCases()
{
    std::vector<Case> cases;
    std::ifstream in(fs::path(MALFORMED_DIR) / "cases.tsv");
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        const auto cols = Split(line, '\t');
        if (cols.size() < 4) {
            ADD_FAILURE() << "cases.tsv line " << number << " has " << cols.size() << " columns";
            continue;
        }
        Case c;
        c.file = cols[0];
        c.args = Split(cols[1], ' ');
        c.exitStatus = std::stoi(cols[2]);
        c.err = Unescape(cols[3]);
        c.why = cols.size() > 4 ? cols[4] : "";
        c.line = number;
        cases.push_back(std::move(c));
    }
    return cases;
}

// The lines of a stderr text as a JSON list body: "a", "b".
std::string JsonList(const std::string &lines)
{
    std::string list;
    for (const auto &line : Split(lines, '\n')) {
        if (line.empty()) continue;
        list += (list.empty() ? "\"" : ", \"") + line + "\"";
    }
    return list;
}

// The "FILE: byte N: text" lines of a stderr text as the JSON error list body.
std::string JsonErrors(const std::string &file, const std::string &lines)
{
    std::string list;
    const std::string prefix = file + ": byte ";
    for (const auto &line : Split(lines, '\n')) {
        if (line.rfind(prefix, 0) != 0)
            continue;
        const std::size_t colon = line.find(": ", prefix.size());
        std::string text;
        for (const char ch : line.substr(colon + 2))
            text += ch == '"' ? std::string("\\\"") : std::string(1, ch);
        list += std::string(list.empty() ? "" : ", ") +
                "{\"offset\": " + line.substr(prefix.size(), colon - prefix.size()) + ", \"text\": \"" + text + "\"}";
    }
    return list;
}

// The legacy reading's messages on stderr, each line led by the file's name.
std::string Named(const std::string &file, const std::string &lines)
{
    std::string named;
    for (const auto &line : Split(lines, '\n'))
        if (!line.empty())
            named += file + ": " + line + "\n";
    return named;
}

// The JSON errors without the code and frame that come with each.
std::string WithoutCodes(std::string json)
{
    const auto erase = [&json](const std::string &start, const std::string &stop, bool keepStop) {
        for (std::size_t at = json.find(start); at != std::string::npos; at = json.find(start, at)) {
            const std::size_t end = json.find_first_of(stop, at + start.size());
            if (end == std::string::npos)
                break;
            json.erase(at, end - at + (keepStop ? 0 : 3));
        }
    };
    erase("\"code\": \"", "\"", false); // "code": "name", (to the quote, then ", ")
    erase(", \"frame\": ", ",}", true); // , "frame": null or a number
    return json;
}

class MalformedFile : public ::testing::TestWithParam<Case> {};

TEST_P(MalformedFile, GivesItsMessageAndExitStatusAndChangesNothing)
{
    const Case &c = GetParam();
    const fs::path dir = MALFORMED_DIR;
    ASSERT_TRUE(fs::exists(dir / c.file)) << c.file;
    testsupport::TempDir out;
    std::vector<std::string> args;
    for (const auto &a : c.args) args.push_back(a == "FILE" ? c.file : a == "OUT" ? out.Path().string() : a);

    const auto before = testsupport::Listing(dir);
    const std::string input = testsupport::ReadFile(dir / c.file);
    const auto r = RunProgram(dir, LUMIVEX_EXE, args);

    SCOPED_TRACE("cases.tsv line " + std::to_string(c.line) + ": " + c.file + " (" + c.why + ")");
    EXPECT_EQ(r.exitCode, c.exitStatus) << "stderr: " << r.err;
    const bool legacy = args[0] == "ilda" && args[1] == "--legacy";
    EXPECT_EQ(r.err, legacy ? Named(c.file, c.err) : c.err);
    EXPECT_EQ(testsupport::Listing(dir), before);
    EXPECT_EQ(testsupport::ReadFile(dir / c.file), input);
    if (c.exitStatus != 0 && args[0] == "convert") {
        // A rejected input leaves nothing behind, not even an empty file.
        EXPECT_TRUE(testsupport::Listing(out.Path()).empty());
    }
    if (args[0] == "ilda" && args[1] == "--legacy") {
        // The JSON form carries the same messages instead of stderr.
        args.push_back("--json");
        const auto j = RunProgram(dir, LUMIVEX_EXE, args);
        EXPECT_EQ(j.exitCode, c.exitStatus);
        EXPECT_EQ(j.err, "");
        EXPECT_EQ(j.out.substr(0, 12), "{\"frames\": [");
        EXPECT_NE(j.out.find("\"messages\": [" + JsonList(c.err) + "]}\n"), std::string::npos) << j.out;
    }
    if (args == std::vector<std::string>{"ilda", c.file}) {
        // The JSON form carries the same errors, with their offsets.
        args.push_back("--json");
        const auto j = RunProgram(dir, LUMIVEX_EXE, args);
        EXPECT_EQ(j.exitCode, c.exitStatus);
        EXPECT_EQ(j.err, "");
        EXPECT_NE(WithoutCodes(j.out).find("\"errors\": [" + JsonErrors(c.file, c.err) + "]}\n"), std::string::npos)
            << j.out;
    }
}

std::string CaseName(const ::testing::TestParamInfo<Case> &info)
{
    std::string name = "line" + std::to_string(info.param.line) + "_" + info.param.args[0] + "_" + info.param.file;
    for (char &ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, MalformedFile, ::testing::ValuesIn(LoadCases()), CaseName);

// The index covers the folder: every data file has at least one case, and
// the corpus keeps its size.
TEST(MalformedCorpus, EveryFileIsListed)
{
    const auto cases = LoadCases();
    std::size_t files = 0;
    for (const auto &name : testsupport::Listing(MALFORMED_DIR)) {
        if (name == "cases.tsv" || name == "make_cases.py" || name == "README.md") continue;
        ++files;
        bool listed = false;
        for (const auto &c : cases) listed = listed || c.file == name;
        EXPECT_TRUE(listed) << name << " has no case in cases.tsv";
    }
    EXPECT_GE(files, 40u);
}

} // namespace

namespace {

// Every format code the reader does not know, 2 to 255, in the first
// section: the one message, no frame.
class UnknownFormatCode : public ::testing::TestWithParam<int> {};

TEST_P(UnknownFormatCode, IsRefusedWithItsMessage)
{
    testsupport::TempDir dir;
    std::string file = "ILDA";
    file.resize(32, '\0');
    file[7] = static_cast<char>(GetParam());
    file[25] = 1; // one point
    file[29] = 1; // one frame
    file += std::string("\x01\x02\x03\x04\x05\x06\x00\x07", 8);
    testsupport::WriteFile(dir.Path() / "code.ild", file);
    const auto r = RunProgram(dir.Path(), LUMIVEX_EXE, {"ilda", "--legacy", "--json", "code.ild"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "{\"frames\": [], \"messages\": [\"Unfamiliar format code.\"]}\n");
}

INSTANTIATE_TEST_SUITE_P(Codes, UnknownFormatCode, ::testing::Range(2, 256));

} // namespace
