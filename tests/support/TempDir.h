// A fresh empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport
{

class TempDir
{
  public:
    explicit TempDir(const std::string &prefix = "lumivex-test");
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &Path() const { return path_; }
    // The full name of name inside the folder.
    std::string File(const std::string &name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

} // namespace testsupport
