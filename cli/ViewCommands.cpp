// hexdump, list and info: what the window shows for a file, as text.
#include "Arguments.h"
#include "Commands.h"
#include "FileAccess.h"

#include "lumivex/HexDump.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace cli {

namespace {

// Input block of the dump: large enough to keep system calls rare, small
// enough for its text to stay in the cache. A multiple of 16, so every
// block starts a line.
constexpr std::size_t kDumpBlock = 256 * 1024;

bool writeAll(int fd, const char *data, std::size_t size)
{
    while (size) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Fills buffer unless the file ends first; -1 on a read error.
ssize_t readFull(int fd, std::uint8_t *buffer, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buffer + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

} // namespace

int RunHexdump(const Args &args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (const std::string problem = OneFileProblem(parsed, "hexdump"); !problem.empty())
        return UsageError(problem);
    const std::string &name = parsed.files[0];
    const int fd = OpenInputDescriptor(name);
    if (fd < 0) {
        std::fprintf(stderr, "%s\n", CantOpenMessage(name).c_str());
        return kExitFailed;
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    const auto in = std::make_unique<std::uint8_t[]>(kDumpBlock);
    const auto out = std::make_unique<char[]>(lumivex::HexDumpCapacity(kDumpBlock));
    std::uint64_t position = 0;
    int status = kExitOk;
    for (;;) {
        const ssize_t got = readFull(fd, in.get(), kDumpBlock);
        if (got < 0) {
            std::fprintf(stderr, "Can't read file %s.\n", name.c_str());
            status = kExitFailed;
            break;
        }
        if (got == 0)
            break;
        const std::size_t length =
            lumivex::FormatHexLines(position, {in.get(), static_cast<std::size_t>(got)}, out.get());
        if (!writeAll(STDOUT_FILENO, out.get(), length)) {
            status = OutputFailed(errno);
            break;
        }
        position += static_cast<std::uint64_t>(got);
        if (static_cast<std::size_t>(got) < kDumpBlock)
            break;
    }
    ::close(fd);
    return status;
}

int RunList(const Args &args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (const std::string problem = OneFileProblem(parsed, "list"); !problem.empty())
        return UsageError(problem);
    const std::string &name = parsed.files[0];
    const auto file = ReadPointFile(name);
    if (!file) {
        std::fprintf(stderr, "%s\n", CantOpenMessage(name).c_str());
        return kExitFailed;
    }
    for (const std::string &line : file->listing)
        std::printf("%s\n", line.c_str());
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return OutputFailed(errno);
    if (!file->accepted()) {
        std::fprintf(stderr, "%s\n", file->message.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

int RunInfo(const Args &args)
{
    const ParsedArgs parsed = ParseArgs(args, {});
    if (const std::string problem = OneFileProblem(parsed, "info"); !problem.empty())
        return UsageError(problem);
    const std::string &name = parsed.files[0];
    const auto file = ReadPointFile(name);
    if (!file) {
        std::fprintf(stderr, "%s\n", CantOpenMessage(name).c_str());
        return kExitFailed;
    }
    if (!file->accepted()) {
        std::fprintf(stderr, "%s\n", file->message.c_str());
        return kExitFailed;
    }
    const lumivex::FileLabels labels = lumivex::PointFileLabels(BareName(name), *file);
    std::printf("%s\n%s\n%s\n%s\n", labels.fileName.c_str(), labels.fileSize.c_str(), labels.points.c_str(),
                labels.structure.c_str());
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return OutputFailed(errno);
    return kExitOk;
}

} // namespace cli
