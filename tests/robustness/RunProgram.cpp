#include "RunProgram.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace robustness {

namespace {

std::string Quote(const std::string &s)
{
    std::string q = "'";
    for (const char c : s) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

} // namespace

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("lumivex-robust-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string ReadFile(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path &file, const std::string &bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::vector<std::string> Listing(const fs::path &dir)
{
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

RunResult RunProgram(const fs::path &dir, const std::string &program, const std::vector<std::string> &args,
              const std::string &prelude)
{
    TempDir capture;
    const fs::path out = capture.Path() / "out";
    const fs::path err = capture.Path() / "err";
    std::string command = "cd " + Quote(dir.string()) + " && ";
    if (!prelude.empty()) command += prelude + "; ";
    command += "exec " + Quote(program);
    for (const auto &a : args) command += " " + Quote(a);
    command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
    const int status = std::system(command.c_str());
    RunResult r;
    r.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadFile(out);
    r.err = ReadFile(err);
    return r;
}

} // namespace robustness

namespace robustness {

std::string PointFileBytes(unsigned n)
{
    std::string file(64, '\0');
    const std::string title = "Lumivex robustness";
    std::copy(title.begin(), title.end(), file.begin());
    file[48] = static_cast<char>(n / 255);
    file[49] = static_cast<char>(n % 255);
    for (int axis = 0; axis < 2; ++axis) {
        for (unsigned k = 0; k <= n; ++k) {
            const unsigned v = axis == 0 ? k * 37u + 11u : k * k * 13u + 5u;
            file += static_cast<char>(v & 0xFF);
        }
    }
    return file;
}

} // namespace robustness
