#include "CliRunner.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace clitest {

namespace {

std::string quoted(const std::string &arg)
{
    std::string out = "'";
    for (const char c : arg)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readText(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path &file, const std::vector<std::uint8_t> &bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void CliTest::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "lumivex-cli-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
}

void CliTest::TearDown()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

Result CliTest::Run(const std::vector<std::string> &args) const
{
    std::string command = "cd " + quoted(dir_.string()) + " && " + quoted(LUMIVEX_CLI);
    for (const std::string &arg : args)
        command += " " + quoted(arg);
    const auto out = dir_ / ".stdout";
    const auto err = dir_ / ".stderr";
    command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
    const int status = std::system(command.c_str());
    Result result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readText(out);
    result.err = readText(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return result;
}

std::filesystem::path CliTest::Put(const std::string &name, const std::vector<std::uint8_t> &bytes) const
{
    const auto file = dir_ / name;
    std::filesystem::create_directories(file.parent_path());
    WriteBytes(file, bytes);
    return file;
}

} // namespace clitest
