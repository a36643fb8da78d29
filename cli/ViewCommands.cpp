// hexdump, list and info: what the window shows for a file, as text.
#include "Commands.h"
#include "FileAccess.h"

#include "lumivex/HexDump.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
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

int oneFileArgument(const Args &args, const char *command)
{
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-'))
        return UsageError(std::string(command) + " takes exactly one FILE");
    return kExitOk;
}

} // namespace

int RunHexdump(const Args &args)
{
    if (const int usage = oneFileArgument(args, "hexdump"))
        return usage;
    const std::string &name = args[0];
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
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
            std::fprintf(stderr, "lumivex: cannot write the dump of %s.\n", name.c_str());
            status = kExitFailed;
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
    if (const int usage = oneFileArgument(args, "list"))
        return usage;
    const auto file = ReadPointFile(args[0]);
    if (!file) {
        std::fprintf(stderr, "%s\n", CantOpenMessage(args[0]).c_str());
        return kExitFailed;
    }
    for (const std::string &line : file->listing)
        std::printf("%s\n", line.c_str());
    if (std::fflush(stdout) != 0)
        return kExitFailed;
    if (!file->accepted()) {
        std::fprintf(stderr, "%s\n", file->message.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

int RunInfo(const Args &args)
{
    if (const int usage = oneFileArgument(args, "info"))
        return usage;
    const auto file = ReadPointFile(args[0]);
    if (!file) {
        std::fprintf(stderr, "%s\n", CantOpenMessage(args[0]).c_str());
        return kExitFailed;
    }
    if (!file->accepted()) {
        std::fprintf(stderr, "%s\n", file->message.c_str());
        return kExitFailed;
    }
    const lumivex::FileLabels labels = lumivex::PointFileLabels(BareName(args[0]), *file);
    std::printf("%s\n%s\n%s\n%s\n", labels.fileName.c_str(), labels.fileSize.c_str(), labels.points.c_str(),
                labels.structure.c_str());
    return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

} // namespace cli
