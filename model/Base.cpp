#include "model/Base.h"

#include "rtl/SysUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const char kDefaultName[] = "Quorvane";

[[noreturn]] void CannotCreate(const std::string &fileName)
{
    throw rtl::EFCreateError("Cannot create file " + fileName);
}

// A name next to target that nobody uses yet, hidden like an editor's backup.
fs::path TemporaryNameFor(const fs::path &target)
{
    static std::mt19937_64 generator{std::random_device{}()};
    const fs::path folder = target.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string leaf = "." + target.filename().string() + ".~" +
                                 std::to_string(generator() % 1000000000ULL) + ".tmp";
        fs::path candidate = folder.empty() ? fs::path(leaf) : folder / leaf;
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec)))
            return candidate;
    }
    return {};
}

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
    if (fileName.empty())
        CannotCreate(fileName);
    std::error_code ec;
    fs::path target(fileName);
    // Replace what a link points at, not the link itself.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            target = resolved;
    }
    const fs::file_status existing = fs::status(target, ec);
    if (fs::is_directory(existing))
        CannotCreate(fileName);
    // A file we may not write stays, as it would if we truncated it in place.
    if (fs::is_regular_file(existing)) {
        std::FILE *probe = std::fopen(target.c_str(), "r+b");
        if (!probe)
            CannotCreate(fileName);
        std::fclose(probe);
    }

    const fs::path temporary = TemporaryNameFor(target);
    if (temporary.empty())
        CannotCreate(fileName);

    std::unique_ptr<rtl::TFileStream> stream;
    try {
        stream = std::make_unique<rtl::TFileStream>(temporary.string(), rtl::TFileMode::Create);
    } catch (const rtl::EFCreateError &) {
        CannotCreate(fileName);
    }
    // A replaced file keeps its permissions.
    if (fs::is_regular_file(existing))
        fs::permissions(temporary, existing.permissions(), fs::perm_options::replace, ec);

    try {
        SaveToStream(*stream);
        stream->Close();
    } catch (...) {
        stream.reset();
        fs::remove(temporary, ec);
        throw;
    }
    stream.reset();
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        CannotCreate(fileName);
    }
    FileName = fileName;
}
