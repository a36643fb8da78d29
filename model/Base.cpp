#include "model/Base.h"

#include "rtl/SaveFile.h"
#include "rtl/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const char kDefaultName[] = "Quorvane";

} // namespace

void TListName::Assign(std::string_view text)
{
    const std::size_t n = std::min(text.size(), Capacity);
    Chars.fill('\0');
    std::memcpy(Chars.data(), text.data(), n);
    Length = static_cast<std::uint8_t>(n);
}

namespace model_detail {

void ReadImage(rtl::TStream &stream, void *buffer, std::size_t count, const char *what)
{
    if (count != 0 && stream.Read(buffer, count) != count)
        throw rtl::EReadError(std::string("Unexpected end of data in ") + what);
}

} // namespace model_detail

// ---- TBaseList

TBaseList::TBaseList()
{
    Name.Assign(kDefaultName);
}

TBaseList::~TBaseList()
{
    TBaseList::ClearItems();
}

int TBaseList::Add(std::unique_ptr<rtl::TObject> item)
{
    const int index = TList::Add(item.get());
    item.release();
    return index;
}

int TBaseList::Add(rtl::TObject *item)
{
    return Add(std::unique_ptr<rtl::TObject>(item));
}

void TBaseList::Put(int index, std::unique_ptr<rtl::TObject> item)
{
    std::unique_ptr<rtl::TObject> old(Get(index));
    if (old.get() == item.get()) {
        old.release();
        item.release();
        return;
    }
    TList::Put(index, item.release());
}

void TBaseList::Put(int index, rtl::TObject *item)
{
    Put(index, std::unique_ptr<rtl::TObject>(item));
}

void TBaseList::Delete(int index)
{
    Extract(index);
}

std::unique_ptr<rtl::TObject> TBaseList::Extract(int index)
{
    std::unique_ptr<rtl::TObject> item(Get(index));
    TList::Delete(index);
    return item;
}

void TBaseList::ClearItems()
{
    for (int i = 0; i < Count(); ++i) {
        std::unique_ptr<rtl::TObject> item(Get(i));
        TList::Put(i, nullptr);
    }
    TList::Clear();
}

void TBaseList::LoadFromStream(rtl::TStream &stream)
{
    std::uint8_t image[TListName::ImageSize];
    model_detail::ReadImage(stream, image, sizeof image, "a list name");
    Name.Length = std::min<std::uint8_t>(image[0], TListName::Capacity);
    std::memcpy(Name.Chars.data(), image + 1, TListName::Capacity);
}

void TBaseList::SaveToStream(rtl::TStream &stream)
{
    std::uint8_t image[TListName::ImageSize];
    image[0] = Name.Length;
    std::memcpy(image + 1, Name.Chars.data(), TListName::Capacity);
    stream.WriteBuffer(image, sizeof image);
}

void TBaseList::SaveToFile(const std::string &fileName)
{
    SaveToFile(fileName, fileName);
}

void TBaseList::SaveToFile(const std::string &fileName, const std::string &shownName)
{
    SaveToFile(fileName, shownName, rtl::TSaveFileStream::TExisting::Replace);
}

void TBaseList::SaveToFile(const std::string &fileName, const std::string &shownName,
                           rtl::TSaveFileStream::TExisting existing)
{
    rtl::TSaveFileStream stream(fileName, shownName, existing);
    SaveToStream(stream);
    // A list with nothing to store (an ILDA file without frames) leaves the
    // old file as it was rather than emptying it.
    if (stream.Size() == 0)
        throw rtl::EWriteError(rtl::CannotWriteText(shownName, ENODATA));
    stream.Commit();
    FileName = fileName;
}
