// Runs a program through the shell and collects its exit status, stdout and
// stderr. The robustness tests drive the real `lumivex` binary this way.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace robustness {

struct RunResult {
    int exitStatus = -1; // -1: did not exit normally (killed by a signal)
    std::string out;
    std::string err;
};

// Runs program with args in folder dir. prelude is shell text run first in
// the same shell (limits, traps), empty for none.
RunResult RunProgram(const std::filesystem::path &dir, const std::string &program, const std::vector<std::string> &args,
              const std::string &prelude = {});

// A fresh empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &Path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path &file);
void WriteFile(const std::filesystem::path &file, const std::string &bytes);
// The names in a folder, sorted.
std::vector<std::string> Listing(const std::filesystem::path &dir);

} // namespace robustness

namespace robustness {

// A valid point file of n points (n + 1 samples per axis), samples on a
// figure that uses the whole signed range.
std::string PointFileBytes(unsigned n);

} // namespace robustness
