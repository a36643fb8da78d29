// The native stream images (name, point, frame, frame list) on arbitrary
// bytes. The first byte picks the class. Short data may only end in
// rtl::EReadError; whatever loads saves an image as long as what it read
// (unless a count was negative) that loads again to the same image.
#include "Check.h"

#include "model/PtObject.h"
#include "rtl/SysUtils.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Save(TBaseList &list)
{
    rtl::TMemoryStream out;
    list.SaveToStream(out);
    return out.Bytes();
}

// Loads bytes into a fresh T; true when the load went through, with the
// image T saves then.
template <class T>
bool LoadAndSave(const Bytes &bytes, Bytes &saved, std::int64_t &consumed)
{
    rtl::TMemoryStream in(bytes);
    T list;
    try {
        list.LoadFromStream(in);
    } catch (const rtl::EReadError &) {
        FUZZ_CHECK(in.Position() <= in.Size());
        return false;
    }
    consumed = in.Position();
    FUZZ_CHECK(list.Name.Length <= TListName::Capacity);
    saved = Save(list);
    return true;
}

template <class T>
void Check(const Bytes &bytes, bool countsNonNegative)
{
    Bytes saved;
    std::int64_t consumed = 0;
    if (!LoadAndSave<T>(bytes, saved, consumed)) return;
    // The image is as long as what was read, unless a negative count was
    // read as "no items"; the name's length byte is capped at 32.
    if (countsNonNegative) FUZZ_CHECK(saved.size() == static_cast<std::size_t>(consumed));
    FUZZ_CHECK(saved[0] == std::min<std::uint8_t>(bytes[0], TListName::Capacity));
    Bytes again;
    std::int64_t consumedAgain = 0;
    FUZZ_CHECK(LoadAndSave<T>(saved, again, consumedAgain));
    FUZZ_CHECK(consumedAgain == static_cast<std::int64_t>(saved.size()));
    FUZZ_CHECK(again == saved);
}

// Whether every count of a frame image (or of a frame-list image and its
// frames) that the load reads is at least zero.
bool CountsNonNegative(const Bytes &bytes, std::size_t at, bool frameList)
{
    auto count = [&](std::size_t pos, std::int32_t &c) {
        if (pos + 4 > bytes.size()) return false;
        std::uint32_t u;
        std::memcpy(&u, bytes.data() + pos, 4);
        c = static_cast<std::int32_t>(u);
        return true;
    };
    std::int32_t n = 0;
    if (!count(at + 33, n)) return true;
    if (n < 0) return false;
    if (!frameList) return true;
    std::size_t pos = at + 37;
    for (std::int32_t f = 0; f < n; ++f) {
        std::int32_t points = 0;
        if (!count(pos + 33, points)) return true;
        if (points < 0) return false;
        pos += 37 + static_cast<std::size_t>(points) * 20;
        if (pos > bytes.size()) return true;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0) return 0;
    const Bytes bytes(data + 1, data + size);
    switch (data[0] % 4) {
    case 0:
        Check<TBaseList>(bytes, true);
        break;
    case 1:
        Check<TFrm>(bytes, CountsNonNegative(bytes, 0, false));
        break;
    case 2:
        Check<TFrameList>(bytes, CountsNonNegative(bytes, 0, true));
        break;
    default: {
        rtl::TMemoryStream in(bytes);
        Tpt p;
        try {
            p.LoadFromStream(in);
        } catch (const rtl::EReadError &) {
            FUZZ_CHECK(bytes.size() < Tpt::ImageSize);
            break;
        }
        rtl::TMemoryStream out;
        p.SaveToStream(out);
        FUZZ_CHECK(out.Bytes() == Bytes(bytes.begin(), bytes.begin() + Tpt::ImageSize));
        break;
    }
    }
    return 0;
}
