#include "FileAccess.h"

#include "ilda/Codec.h"
#include "rtl/SaveFile.h"
#include "rtl/SysUtils.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <span>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace cli {

std::string CantOpenMessage(const std::string &fileName)
{
    return "Can't open file " + fileName + ".";
}

std::string CannotOpenMessage(const std::string &fileName)
{
    int error = EIO;
    const int fd = IsStandardInput(fileName) ? ::dup(STDIN_FILENO) : ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0)
        error = errno;
    else if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
        error = EISDIR;
    if (fd >= 0)
        ::close(fd);
    std::string reason = std::generic_category().message(error);
    if (!reason.empty())
        reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return "Cannot open " + fileName + ": " + reason;
}

int OpenInputDescriptor(const std::string &fileName)
{
    const int fd = IsStandardInput(fileName) ? ::dup(STDIN_FILENO) : ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

namespace {

// An ILDA file or a drawing, by its first bytes: what may be read into
// memory at length. Anything else is read as a point file.
bool LongSource(std::span<const std::uint8_t> head)
{
    if (head.size() >= 4 && ilda::HasSignature(head.data()))
        return true;
    const auto text = std::find_if(head.begin(), head.end(), [](std::uint8_t c) { return !std::isspace(c); });
    return text != head.end() && *text == '<';
}

// Reads fd to its end, up to a limit judged from the first block.
rtl::Result<std::vector<std::uint8_t>> ReadStreamed(int fd, const std::string &fileName)
{
    std::vector<std::uint8_t> bytes;
    std::uint8_t block[1 << 16];
    std::size_t limit = kMaxStreamedInput;
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return rtl::Fail(CantOpenMessage(fileName));
        if (n == 0)
            break;
        if (bytes.empty() && !LongSource(std::span(block, static_cast<std::size_t>(n))))
            limit = kMaxStreamedPointFile;
        if (bytes.size() + static_cast<std::size_t>(n) > limit)
            return rtl::Fail(limit == kMaxStreamedInput
                                 ? fileName + ": more than 256 MiB from a pipe or device; save it to a file first"
                                 : fileName +
                                       ": more than 1 MiB from a pipe or device that is neither an ILDA "
                                       "file nor a drawing (a point file is far smaller)");
        bytes.insert(bytes.end(), block, block + n);
    }
    return bytes;
}

} // namespace

rtl::Result<std::unique_ptr<rtl::TStream>> OpenSource(const std::string &fileName)
{
    const int fd = OpenInputDescriptor(fileName);
    if (fd < 0)
        return rtl::Fail(CantOpenMessage(fileName));
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        ::close(fd);
        try {
            return std::unique_ptr<rtl::TStream>(std::make_unique<rtl::TFileStream>(
                IsStandardInput(fileName) ? "/dev/stdin" : fileName, rtl::TFileMode::OpenRead));
        } catch (const rtl::EStreamError &) {
            return rtl::Fail(CantOpenMessage(fileName));
        }
    }
    auto bytes = ReadStreamed(fd, fileName);
    ::close(fd);
    if (!bytes)
        return bytes.failure();
    return std::unique_ptr<rtl::TStream>(std::make_unique<rtl::TMemoryStream>(std::move(bytes).value()));
}

std::unique_ptr<rtl::TStream> OpenSeekableInput(const std::string &fileName)
{
    auto stream = OpenSource(fileName);
    return stream ? std::move(stream).value() : nullptr;
}

namespace {

// A point file from a pipe or a device: its head is all decoding uses, and
// the rest is only counted, up to what a point file could sensibly be, so
// that an endless device ends at once.
std::optional<lumivex::PointFile> ReadStreamedPointFile(int fd)
{
    std::vector<std::uint8_t> head(lumivex::kPointFileHeadBytes);
    std::uint64_t total = 0;
    std::uint8_t block[1 << 14];
    for (;;) {
        const bool inHead = total < head.size();
        std::uint8_t *into = inHead ? head.data() + total : block;
        const std::size_t room = inHead ? head.size() - static_cast<std::size_t>(total) : sizeof block;
        const ssize_t n = ::read(fd, into, room);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        total += static_cast<std::uint64_t>(n);
        if (total > kMaxStreamedPointFile)
            return std::nullopt;
    }
    head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(total, head.size())));
    return lumivex::DecodePointFileHead(head, total);
}

} // namespace

std::optional<lumivex::PointFile> ReadPointFile(const std::string &fileName)
{
    const int fd = OpenInputDescriptor(fileName);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && !S_ISREG(st.st_mode)) {
        const auto file = ReadStreamedPointFile(fd);
        ::close(fd);
        return file;
    }
    ::close(fd);
    const auto input = OpenSeekableInput(fileName);
    if (!input)
        return std::nullopt;
    try {
        return lumivex::ReadPointFile(*input);
    } catch (const rtl::EStreamError &) {
        return std::nullopt;
    }
}

std::unique_ptr<rtl::TStream> OpenInput(const std::string &fileName)
{
    // A folder opens for reading but fails at the first read.
    struct stat st {};
    if (!IsStandardInput(fileName) && ::stat(fileName.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return nullptr;
    try {
        return std::make_unique<rtl::TFileStream>(IsStandardInput(fileName) ? "/dev/stdin" : fileName,
                                                  rtl::TFileMode::OpenRead);
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
    if (IsStandardInput(a))
        return !IsStandardInput(b) && rtl::LeadsToOpenFile(b, STDIN_FILENO);
    return rtl::LeadsToSameFile(a, b);
}

bool Exists(const std::string &fileName)
{
    struct stat st {};
    return ::lstat(fileName.c_str(), &st) == 0;
}

bool IsStandardOutput(const std::string &fileName)
{
    struct stat out {};
    struct stat named {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && ::stat(fileName.c_str(), &named) == 0 && out.st_dev == named.st_dev &&
           out.st_ino == named.st_ino;
}

bool IsStreamDevice(const std::string &fileName)
{
    struct stat st {};
    return ::stat(fileName.c_str(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode));
}

} // namespace cli
