// Owning, named object lists that save and load themselves through byte
// streams, and the playing interface of frame files.
#pragma once

#include "rtl/Classes.h"
#include "rtl/SaveFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A counted name of at most 32 single-byte characters. Its image is the
// length byte and all 32 character bytes; bytes past Length ride along
// unchanged, so a loaded image saves back as it came.
struct TListName {
    static constexpr std::size_t Capacity = 32;
    static constexpr std::size_t ImageSize = Capacity + 1;

    std::uint8_t Length = 0;
    std::array<char, Capacity> Chars{};

    std::string Str() const { return std::string(Chars.data(), Length); }
    // Keeps the first 32 characters and zeroes the bytes after them.
    void Assign(std::string_view text);
};

// One point as a frame file delivers it for playing.
struct TOutPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Z = 0;
    std::uint32_t Color = 0; // 0x00BBGGRR; 0 is blanked
    bool FrameEnd = false;
};

// A list that owns its items: whatever is added, put or left in it is
// destroyed by the list, exactly once.
class TBaseList : public rtl::TList {
public:
    TListName Name;
    std::string FileName; // the file SaveToFile last wrote; empty until then

    TBaseList();
    ~TBaseList() override;

    // Takes ownership of item (null is allowed and skipped when clearing).
    int Add(std::unique_ptr<rtl::TObject> item);
    int Add(rtl::TObject *item);
    // Replaces the item at index and destroys the one it held.
    void Put(int index, std::unique_ptr<rtl::TObject> item);
    void Put(int index, rtl::TObject *item);
    // Removes the slot at index and destroys its item.
    void Delete(int index);
    // Removes the slot at index and hands its item back to the caller.
    std::unique_ptr<rtl::TObject> Extract(int index);
    void Clear() { ClearItems(); }

    // Destroys every item; each slot is nulled before its item goes.
    virtual void ClearItems();

    // The 33-byte name image. A length byte above 32 is taken as 32; data
    // that ends early raises rtl::EReadError and leaves Name as it was.
    virtual void LoadFromStream(rtl::TStream &stream);
    virtual void SaveToStream(rtl::TStream &stream);

    // Writes the whole list through SaveToStream into fileName by way of
    // rtl::TSaveFileStream: a plain file is replaced atomically, what is not
    // one is written in place, a link is followed. On failure FileName stays
    // as it was and the exception passes on: rtl::EFCreateError "Cannot
    // create file NAME" or rtl::EWriteError "Cannot write NAME: REASON"
    // (also when SaveToStream gave no byte: the old file stays).
    void SaveToFile(const std::string &fileName);
    // The same, naming the file shownName in messages (the name as the user
    // chose it when fileName is a longer path).
    void SaveToFile(const std::string &fileName, const std::string &shownName);
    // The same; with TExisting::Keep a regular file there is never replaced
    // (rtl::EFileExistsError).
    void SaveToFile(const std::string &fileName, const std::string &shownName,
                    rtl::TSaveFileStream::TExisting existing);
};

// A list whose points can be played one at a time.
class TBaseFile : public TBaseList {
public:
    // Fills p with the next point in playing order and moves on by one.
    virtual void GetNextPoint(TOutPoint &p) = 0;
    // Back to the first point of the first frame.
    virtual void Rewind() = 0;
};

namespace model_detail {

// Little-endian helpers shared by the native images.
inline void PutLE32(std::uint8_t *out, std::uint32_t v)
{
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
    out[2] = static_cast<std::uint8_t>(v >> 16);
    out[3] = static_cast<std::uint8_t>(v >> 24);
}

inline std::uint32_t GetLE32(const std::uint8_t *in)
{
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
           static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

// Reads exactly count bytes or raises rtl::EReadError naming what was cut.
void ReadImage(rtl::TStream &stream, void *buffer, std::size_t count, const char *what);

} // namespace model_detail
