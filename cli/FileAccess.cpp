#include "FileAccess.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace cli {

namespace {

// Closes a descriptor on every path.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::string CantOpenMessage(const std::string &fileName)
{
    return "Can't open file " + fileName + ".";
}

std::optional<lumivex::PointFile> ReadPointFile(const std::string &fileName)
{
    const Descriptor file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;

    // Decoding never looks past the head, so a huge file costs no more than a small one.
    std::vector<std::uint8_t> head(lumivex::kPointFileHeadBytes);
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = ::read(file.get(), head.data() + got, head.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    // Past the head only the size counts; a file that ended early is the bytes we saw.
    const bool wholeFile = got < head.size();
    head.resize(got);
    return lumivex::DecodePointFileHead(head, wholeFile ? got : static_cast<std::uint64_t>(st.st_size));
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
