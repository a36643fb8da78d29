#include "OutputFiles.h"

#include "FileAccess.h"

#include "rtl/SysUtils.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

std::optional<std::string> TakeFrameFormat(const std::string &value, std::optional<std::uint8_t> &format)
{
    if (value != "0" && value != "1" && value != "4" && value != "5")
        return "--format takes 0, 1, 4 or 5, not " + value;
    format = static_cast<std::uint8_t>(value[0] - '0');
    return std::nullopt;
}

std::optional<std::string> PrepareOutputDir(const std::optional<std::string> &dir, bool parents)
{
    if (!dir)
        return std::nullopt;
    const std::filesystem::path path(*dir);
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return std::nullopt;
    if (std::filesystem::exists(path, error))
        return "the output folder " + *dir + " is not a folder";
    if (!parents)
        return "the output folder " + *dir + " does not exist; create it, or add --parents";
    if (!std::filesystem::create_directories(path, error) && error)
        return "cannot create the output folder " + *dir + ": " + error.message();
    return std::nullopt;
}

std::string OutputKey(const std::string &output)
{
    std::error_code error;
    const auto key = std::filesystem::weakly_canonical(output, error);
    return error ? output : key.string();
}

std::optional<std::string> OutputProblem(const std::string &input, const std::string &output, bool force,
                                         const std::set<std::string> &written)
{
    if (SameFile(input, output))
        return rtl::WouldReplaceInputText(output);
    if (written.count(OutputKey(output)))
        return output + " was already written in this run; not replaced.";
    // Writing to standard output or a device replaces no file.
    if (!force && output != "-" && Exists(output) && !IsStreamDevice(output))
        return rtl::FileExistsText(output) + kUseForce;
    return std::nullopt;
}

rtl::TSaveFileStream::TExisting ExistingRule(const std::string &output, bool force)
{
    // Standard output replaces no file.
    return force || output == "-" ? rtl::TSaveFileStream::TExisting::Replace : rtl::TSaveFileStream::TExisting::Keep;
}

std::string CreateFailureText(const rtl::EFCreateError &error, const std::string &output)
{
    const std::string text = error.what();
    if (text.find(": ") != std::string::npos || output == "-")
        return text;
    std::string reason;
    struct stat st {};
    const std::filesystem::path path(output);
    const std::string folder = path.parent_path().empty() ? "." : path.parent_path().string();
    if (::stat(output.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            reason = "it is a folder";
        else if ((st.st_mode & 0222) == 0)
            reason = "the file is read-only";
        else if (::access(output.c_str(), W_OK) != 0)
            reason = std::strerror(errno);
    } else if (errno != ENOENT) {
        reason = std::strerror(errno);
    } else if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        reason = "the folder " + folder + " does not exist";
    } else if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        reason = "the folder " + folder + ": " + std::strerror(errno);
    }
    return reason.empty() ? text : text + ": " + reason;
}

} // namespace cli
