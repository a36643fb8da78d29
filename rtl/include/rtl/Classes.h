// Objects, the pointer list and byte streams of the runtime.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace rtl {

// Root of every runtime and model class: destroyed through a base pointer.
class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject &) = delete;
    TObject &operator=(const TObject &) = delete;
};

// A list of object pointers. It does not own what it holds; owning lists
// derive from it and destroy their items themselves.
class TList : public TObject {
public:
    int Count() const { return static_cast<int>(items_.size()); }

    // Index outside 0 .. Count - 1: EListError "List index out of bounds (%d)".
    TObject *Get(int index) const;
    void Put(int index, TObject *item);
    int Add(TObject *item);
    // Removes the slot at index without destroying its item.
    void Delete(int index);
    // Empties the list and releases its storage.
    void Clear();

protected:
    [[noreturn]] static void Error(int index);

private:
    std::vector<TObject *> items_;
};

// Byte stream with a position. Read and Write move as many bytes as they
// can and say how many; ReadBuffer and WriteBuffer insist on all of them.
class TStream : public TObject {
public:
    virtual std::size_t Read(void *buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void *buffer, std::size_t count) = 0;
    virtual std::int64_t Position() const = 0;
    virtual void SetPosition(std::int64_t position) = 0;
    virtual std::int64_t Size() const = 0;

    // All count bytes or EReadError "Stream read error" (the position then
    // stands at the end of what could be read).
    void ReadBuffer(void *buffer, std::size_t count);
    // All count bytes or EWriteError with WriteErrorText().
    void WriteBuffer(const void *buffer, std::size_t count);

    // Bytes left from the position to the end.
    std::int64_t Remaining() const;

protected:
    // What a short write means: "Stream write error" unless the stream
    // can name its file and the reason.
    virtual std::string WriteErrorText() const;
};

enum class TFileMode {
    Create,   // create the file, or truncate an existing one, for writing
    OpenRead, // open an existing file for reading
};

// A buffered file stream. Creating it fails with EFCreateError "Cannot
// create file NAME" or EFOpenError "Cannot open file NAME".
class TFileStream : public TStream {
public:
    TFileStream(const std::string &fileName, TFileMode mode);
    ~TFileStream() override;

    std::size_t Read(void *buffer, std::size_t count) override;
    std::size_t Write(const void *buffer, std::size_t count) override;
    std::int64_t Position() const override;
    // A file that cannot seek (a pipe): EStreamError "Cannot seek in NAME: REASON".
    void SetPosition(std::int64_t position) override;
    std::int64_t Size() const override;

    // Pushes buffered bytes to the file and closes it; EWriteError "Cannot
    // write NAME: REASON" when the system could not take them. Further use
    // of the stream is an error.
    void Close();

    const std::string &FileName() const { return fileName_; }

protected:
    std::string WriteErrorText() const override;

private:
    std::string fileName_;
    std::FILE *file_ = nullptr;
    int writeError_ = 0; // errno of the first write that failed
};

// A stream over bytes held in memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t Read(void *buffer, std::size_t count) override;
    std::size_t Write(const void *buffer, std::size_t count) override;
    std::int64_t Position() const override { return position_; }
    void SetPosition(std::int64_t position) override;
    std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }

    const std::vector<std::uint8_t> &Bytes() const { return bytes_; }
    void Clear();

private:
    std::vector<std::uint8_t> bytes_;
    std::int64_t position_ = 0;
};

} // namespace rtl
