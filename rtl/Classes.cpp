#include "rtl/Classes.h"

#include "rtl/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace rtl {

// ---- TList

void TList::Error(int index)
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

TObject *TList::Get(int index) const
{
    if (index < 0 || index >= Count())
        Error(index);
    return items_[static_cast<std::size_t>(index)];
}

void TList::Put(int index, TObject *item)
{
    if (index < 0 || index >= Count())
        Error(index);
    items_[static_cast<std::size_t>(index)] = item;
}

int TList::Add(TObject *item)
{
    items_.push_back(item);
    return Count() - 1;
}

void TList::Delete(int index)
{
    if (index < 0 || index >= Count())
        Error(index);
    items_.erase(items_.begin() + index);
}

void TList::Clear()
{
    std::vector<TObject *>().swap(items_);
}

// ---- TStream

void TStream::ReadBuffer(void *buffer, std::size_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void *buffer, std::size_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(WriteErrorText());
}

std::string TStream::WriteErrorText() const
{
    return "Stream write error";
}

std::int64_t TStream::Remaining() const
{
    return std::max<std::int64_t>(0, Size() - Position());
}

// ---- TFileStream

namespace {

constexpr std::size_t kFileBufferSize = 1 << 16;

bool isDirectory(const std::string &name)
{
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

TFileStream::TFileStream(const std::string &fileName, TFileMode mode)
    : fileName_(fileName)
{
    if (mode == TFileMode::Create) {
        file_ = isDirectory(fileName) ? nullptr : std::fopen(fileName.c_str(), "wb");
        if (!file_)
            throw EFCreateError(CannotCreateText(fileName));
    } else {
        // fopen() happily opens a folder for reading; a folder is no file.
        file_ = isDirectory(fileName) ? nullptr : std::fopen(fileName.c_str(), "rb");
        if (!file_)
            throw EFOpenError(CannotOpenText(fileName));
    }
    std::setvbuf(file_, nullptr, _IOFBF, kFileBufferSize);
}

TFileStream::~TFileStream()
{
    if (file_)
        std::fclose(file_);
}

void TFileStream::Close()
{
    if (!file_)
        return;
    errno = 0;
    const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
    if (!flushed && writeError_ == 0)
        writeError_ = errno != 0 ? errno : EIO;
    errno = 0;
    if (std::fclose(file_) != 0 && writeError_ == 0)
        writeError_ = errno != 0 ? errno : EIO;
    file_ = nullptr;
    if (writeError_ != 0)
        throw EWriteError(WriteErrorText());
}

std::string TFileStream::WriteErrorText() const
{
    return CannotWriteText(fileName_, writeError_ != 0 ? writeError_ : EIO);
}

std::size_t TFileStream::Read(void *buffer, std::size_t count)
{
    return file_ ? std::fread(buffer, 1, count, file_) : 0;
}

std::size_t TFileStream::Write(const void *buffer, std::size_t count)
{
    if (!file_)
        return 0;
    errno = 0;
    const std::size_t written = std::fwrite(buffer, 1, count, file_);
    if (written != count && writeError_ == 0)
        writeError_ = errno != 0 ? errno : EIO;
    return written;
}

std::int64_t TFileStream::Position() const
{
    return file_ ? static_cast<std::int64_t>(::ftello(file_)) : 0;
}

void TFileStream::SetPosition(std::int64_t position)
{
    // A pipe or a terminal cannot go back: carrying on would read the wrong bytes.
    if (file_ && ::fseeko(file_, static_cast<off_t>(std::max<std::int64_t>(0, position)), SEEK_SET) != 0)
        throw EStreamError(CannotSeekText(fileName_, errno));
}

std::int64_t TFileStream::Size() const
{
    if (!file_)
        return 0;
    std::fflush(file_);
    struct stat st {};
    if (::fstat(::fileno(file_), &st) != 0)
        return 0;
    return static_cast<std::int64_t>(st.st_size);
}

// ---- TMemoryStream

std::size_t TMemoryStream::Read(void *buffer, std::size_t count)
{
    const std::int64_t available = std::max<std::int64_t>(0, Size() - position_);
    const std::size_t n = std::min<std::size_t>(count, static_cast<std::size_t>(available));
    if (n != 0)
        std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
}

std::size_t TMemoryStream::Write(const void *buffer, std::size_t count)
{
    if (count == 0)
        return 0;
    const std::size_t end = static_cast<std::size_t>(position_) + count;
    if (end > bytes_.size())
        bytes_.resize(end);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ = static_cast<std::int64_t>(end);
    return count;
}

void TMemoryStream::SetPosition(std::int64_t position)
{
    position_ = std::max<std::int64_t>(0, position);
}

void TMemoryStream::Clear()
{
    std::vector<std::uint8_t>().swap(bytes_);
    position_ = 0;
}

} // namespace rtl
