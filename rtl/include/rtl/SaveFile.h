// A stream that saves a file without losing the one that was there.
#pragma once

#include "rtl/Classes.h"

#include <memory>
#include <string>

namespace rtl {

// Where the bytes go is decided when the stream is made:
// - a regular file with one link, or a new name: a temporary file beside
//   it, renamed over it by Commit (owner, group and permissions kept);
// - a regular file with several links, one whose folder takes no new file,
//   or one whose owner or group a replacement could not keep: the file
//   itself, truncated and rewritten by Commit;
// - a device, FIFO or terminal: written as it stands, the bytes passed on
//   as they come (a pipe has no old file to keep, and a long stream must
//   not gather in memory).
// Writes into a regular file in place are gathered in memory first, so a
// save that fails before Commit changes nothing. A symbolic link is
// followed, never replaced.
//
// A target that no one may write (no write bit at all) is refused, even for
// the superuser. With TExisting::Keep a regular file already there is never
// replaced, not even one made by another process while the bytes were being
// written: the finished file is put in place only if the name is still free.
//
// Failures name the file by shownName: EFCreateError "Cannot create file
// NAME" when it cannot be written at all, EFileExistsError "NAME already
// exists" for a file Keep finds, EWriteError "Cannot write NAME: REASON" when
// bytes are refused.
class TSaveFileStream : public TStream {
public:
    enum class TWay {
        Replace, // through a temporary file and a rename
        InPlace, // into the file itself
    };
    enum class TExisting {
        Replace, // a regular file there is replaced
        Keep,    // a regular file there is left alone and the save refused
    };

    TSaveFileStream(const std::string &fileName, const std::string &shownName, TExisting existing = TExisting::Replace);
    // Without Commit the target is left as it was.
    ~TSaveFileStream() override;

    std::size_t Read(void *, std::size_t) override { return 0; }
    std::size_t Write(const void *buffer, std::size_t count) override;
    std::int64_t Position() const override;
    void SetPosition(std::int64_t position) override;
    std::int64_t Size() const override;

    // Puts what was written in place of the file.
    void Commit();

    TWay Way() const { return way_; }

protected:
    std::string WriteErrorText() const override;

private:
    // Written in place into a regular file: the bytes wait in memory.
    bool gathered() const { return way_ == TWay::InPlace && regular_; }
    void openReplacement(const std::string &folder, const std::string &leaf);
    void putInPlace();
    bool flushBuffer();
    [[noreturn]] void fail(int error);
    void discard();

    std::string shownName_;
    TExisting existing_;
    TWay way_ = TWay::Replace;
    bool regular_ = true;
    int fd_ = -1;           // the temporary file, or the target written in place
    std::string target_;    // Replace: the real name the rename goes to
    std::string temporary_; // Replace: the temporary file's name
    TMemoryStream memory_;  // gathered(): the bytes until Commit
    std::string buffer_;    // bytes not yet handed to the system (all but gathered())
    std::int64_t flushed_ = 0;
    std::int64_t size_ = 0;
    int error_ = 0;
};

// True when both names lead to one existing file (through links, hard
// links or /proc/self/fd/N alike).
bool LeadsToSameFile(const std::string &a, const std::string &b);
// True when name leads to the file open as descriptor fd.
bool LeadsToOpenFile(const std::string &name, int fd);

} // namespace rtl
