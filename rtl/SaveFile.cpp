#include "rtl/SaveFile.h"

#include "rtl/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace rtl {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;
constexpr int kWriteFlags = O_WRONLY | O_CLOEXEC | O_NOCTTY;

std::string folderOf(const std::string &fileName)
{
    const std::string folder = std::filesystem::path(fileName).parent_path().string();
    return folder.empty() ? "." : folder;
}

std::string leafOf(const std::string &fileName)
{
    return std::filesystem::path(fileName).filename().string();
}

// The name that a chain of symbolic links ends in, existing or not;
// nothing when the chain does not end.
std::optional<std::string> followLinks(std::string name)
{
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return name;
        std::string to(PATH_MAX, '\0');
        const ssize_t n = ::readlink(name.c_str(), to.data(), to.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= to.size())
            return std::nullopt;
        to.resize(static_cast<std::size_t>(n));
        name = to.front() == '/' ? to : folderOf(name) + "/" + to;
    }
    return std::nullopt;
}

// Writes all of data; false with errno set when the system refuses.
bool writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Gives the replacement the owner, group and permissions of the original;
// false when they cannot all be kept.
bool keepIdentity(int fd, const struct stat &original)
{
    if (::fchown(fd, original.st_uid, original.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), original.st_gid); // a member may still set the group
    struct stat now {};
    if (::fstat(fd, &now) != 0 || now.st_uid != original.st_uid || now.st_gid != original.st_gid)
        return false;
    // After fchown, which may clear the set-id bits.
    return ::fchmod(fd, original.st_mode & 07777) == 0;
}

} // namespace

TSaveFileStream::TSaveFileStream(const std::string &fileName, const std::string &shownName, TExisting existing)
    : shownName_(shownName), existing_(existing)
{
    if (fileName.empty())
        throw EFCreateError(CannotCreateText(shownName_));
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) {
        const int error = errno;
        if (error == ELOOP)
            throw EFCreateError(CannotWriteText(shownName_, error));
        if (error != ENOENT)
            throw EFCreateError(CannotCreateText(shownName_));
        // A new name, or links that lead to one: the file is made where they lead.
        const std::optional<std::string> resolved = followLinks(fileName);
        if (!resolved)
            throw EFCreateError(CannotWriteText(shownName_, ELOOP));
        target_ = *resolved;
        openReplacement(folderOf(target_), leafOf(target_));
        if (fd_ < 0)
            throw EFCreateError(CannotCreateText(shownName_));
        return;
    }
    if (S_ISDIR(st.st_mode))
        throw EFCreateError(CannotCreateText(shownName_));
    if (existing_ == TExisting::Keep && S_ISREG(st.st_mode))
        throw EFileExistsError(FileExistsText(shownName_));
    // A file made read-only by its owner stays as it is, even for root.
    if ((st.st_mode & 0222) == 0)
        throw EFCreateError(CannotCreateText(shownName_));

    way_ = TWay::InPlace;
    regular_ = S_ISREG(st.st_mode);
    // A FIFO waits here until someone reads it, as the shell's > would.
    // A file we may not write stays as it is, as it would if truncated in place.
    fd_ = ::open(fileName.c_str(), kWriteFlags);
    struct stat opened {};
    if (fd_ < 0 || ::fstat(fd_, &opened) != 0) {
        discard();
        throw EFCreateError(CannotCreateText(shownName_));
    }
    if (!S_ISREG(opened.st_mode) || opened.st_nlink > 1)
        return;

    // Replace what a link points at, not the link.
    char *real = ::realpath(fileName.c_str(), nullptr);
    if (!real)
        return;
    target_ = real;
    std::free(real);
    const int original = fd_;
    fd_ = -1;
    openReplacement(folderOf(target_), leafOf(target_));
    if (fd_ >= 0 && keepIdentity(fd_, opened)) {
        ::close(original);
        way_ = TWay::Replace;
        return;
    }
    // The folder takes no new file, or the replacement would change hands.
    discard();
    error_ = 0;
    fd_ = original;
}

TSaveFileStream::~TSaveFileStream()
{
    discard();
}

void TSaveFileStream::openReplacement(const std::string &folder, const std::string &leaf)
{
    static std::mt19937_64 generator{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Hidden like an editor's backup.
        std::string name = folder + "/." + leaf + ".~" + std::to_string(generator() % 1000000000ULL) + ".tmp";
        fd_ = ::open(name.c_str(), kWriteFlags | O_CREAT | O_EXCL, 0666);
        if (fd_ >= 0) {
            temporary_ = std::move(name);
            return;
        }
        if (errno != EEXIST)
            break;
    }
    error_ = errno;
}

std::size_t TSaveFileStream::Write(const void *buffer, std::size_t count)
{
    if (gathered())
        return memory_.Write(buffer, count);
    if (error_ != 0 || fd_ < 0)
        return 0;
    buffer_.append(static_cast<const char *>(buffer), count);
    size_ = std::max(size_, Position());
    if (buffer_.size() >= kBufferSize && !flushBuffer())
        return 0;
    return count;
}

std::int64_t TSaveFileStream::Position() const
{
    if (gathered())
        return memory_.Position();
    return flushed_ + static_cast<std::int64_t>(buffer_.size());
}

void TSaveFileStream::SetPosition(std::int64_t position)
{
    if (gathered()) {
        memory_.SetPosition(position);
        return;
    }
    position = std::max<std::int64_t>(0, position);
    if (!flushBuffer() || ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0) {
        if (error_ == 0)
            error_ = errno;
        throw EWriteError(WriteErrorText());
    }
    flushed_ = position;
}

std::int64_t TSaveFileStream::Size() const
{
    return gathered() ? memory_.Size() : std::max(size_, Position());
}

bool TSaveFileStream::flushBuffer()
{
    if (error_ != 0 || fd_ < 0)
        return false;
    if (!writeAll(fd_, buffer_.data(), buffer_.size())) {
        error_ = errno;
        return false;
    }
    flushed_ += static_cast<std::int64_t>(buffer_.size());
    buffer_.clear();
    return true;
}

void TSaveFileStream::Commit()
{
    if (fd_ < 0)
        fail(error_ != 0 ? error_ : EBADF);
    if (gathered()) {
        const std::vector<std::uint8_t> &bytes = memory_.Bytes();
        const auto size = static_cast<off_t>(bytes.size());
        if (regular_) {
            // Claim the room first: a full disk then leaves the file as it was.
            if (size > 0 && ::fallocate(fd_, 0, 0, size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
                fail(errno);
            if (::lseek(fd_, 0, SEEK_SET) < 0)
                fail(errno);
        }
        if (!writeAll(fd_, reinterpret_cast<const char *>(bytes.data()), bytes.size()))
            fail(errno);
        if (regular_ && (::ftruncate(fd_, size) != 0 || ::fsync(fd_) != 0))
            fail(errno);
    } else if (way_ == TWay::InPlace) {
        // A pipe, FIFO or device has nothing to sync.
        if (!flushBuffer())
            fail(error_);
    } else {
        if (!flushBuffer())
            fail(error_);
        // On disk before the rename, so a crash leaves the old file or the new one.
        if (::fsync(fd_) != 0)
            fail(errno);
    }
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0)
        fail(errno);
    if (way_ == TWay::Replace)
        putInPlace();
    temporary_.clear();
}

void TSaveFileStream::putInPlace()
{
    if (existing_ == TExisting::Replace) {
        if (::rename(temporary_.c_str(), target_.c_str()) != 0)
            fail(errno);
        return;
    }
    // Only while the name is free: another writer may have made it since.
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0)
        return;
    int error = errno;
    if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP) {
        // A file system without the flag: a new link fails just the same on a taken name.
        if (::link(temporary_.c_str(), target_.c_str()) == 0) {
            ::unlink(std::exchange(temporary_, {}).c_str());
            return;
        }
        error = errno;
    }
    if (error == EEXIST) {
        discard();
        throw EFileExistsError(FileExistsText(shownName_));
    }
    fail(error);
}

void TSaveFileStream::fail(int error)
{
    discard();
    throw EWriteError(CannotWriteText(shownName_, error));
}

void TSaveFileStream::discard()
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!temporary_.empty())
        ::unlink(std::exchange(temporary_, {}).c_str());
}

bool LeadsToSameFile(const std::string &a, const std::string &b)
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool LeadsToOpenFile(const std::string &name, int fd)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(name.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

std::string TSaveFileStream::WriteErrorText() const
{
    return CannotWriteText(shownName_, error_ != 0 ? error_ : EIO);
}

} // namespace rtl
