#include "FileAccess.h"

#include "rtl/SysUtils.h"

#include <filesystem>
#include <sys/stat.h>

namespace cli {

std::string CantOpenMessage(const std::string &fileName)
{
    return "Can't open file " + fileName + ".";
}

std::optional<lumivex::PointFile> ReadPointFile(const std::string &fileName)
{
    // Only regular files: a device or a pipe is no point file.
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return std::nullopt;
    try {
        return lumivex::ReadPointFile(fileName);
    } catch (const rtl::EStreamError &) {
        return std::nullopt;
    }
}

std::unique_ptr<rtl::TStream> OpenInput(const std::string &fileName)
{
    try {
        return std::make_unique<rtl::TFileStream>(fileName, rtl::TFileMode::OpenRead);
    } catch (const rtl::EFOpenError &) {
        return nullptr;
    }
}

std::string BareName(const std::string &fileName)
{
    return std::filesystem::path(fileName).filename().string();
}

bool SameFile(const std::string &a, const std::string &b)
{
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool Exists(const std::string &fileName)
{
    struct stat st {};
    return ::lstat(fileName.c_str(), &st) == 0;
}

} // namespace cli
