// Point-file decoding on arbitrary bytes: never reads outside them, and what
// it lists, stores and labels agrees with the bytes whenever it accepts.
#include "Check.h"

#include "lumivex/PointFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace {

std::string Hex2(std::uint8_t b)
{
    static const char digits[] = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 15]};
}

void CheckAxis(const lumivex::PointFile &pf, std::span<const std::uint8_t> bytes, std::size_t firstLine,
               std::size_t offset)
{
    const std::size_t samples = std::size_t{pf.ptCount} + 1;
    const std::size_t rows = (samples + 31) / 32;
    for (std::size_t r = 0; r < rows; ++r) {
        const std::string &line = pf.listing[firstLine + r];
        const std::size_t inRow = r + 1 < rows ? 32 : samples - 32 * r;
        FUZZ_CHECK(line.size() == 3 * inRow);
        for (std::size_t i = 0; i < inRow; ++i) {
            FUZZ_CHECK(line.compare(3 * i, 3, Hex2(bytes[offset + 32 * r + i]) + " ") == 0);
        }
    }
}

bool Same(const lumivex::PointFile &a, const lumivex::PointFile &b)
{
    return a.verdict == b.verdict && a.ptCount == b.ptCount && a.fileSize == b.fileSize && a.listing == b.listing &&
           a.message == b.message && a.xBuf == b.xBuf && a.yBuf == b.yBuf;
}

// The window decodes from the first bytes of a file only: it must come to
// exactly what decoding the whole file gives.
void CheckHeadDecoding(std::span<const std::uint8_t> bytes, const lumivex::PointFile &whole)
{
    const auto head = bytes.first(std::min(bytes.size(), lumivex::kPointFileHeadBytes));
    FUZZ_CHECK(Same(lumivex::DecodePointFileHead(head, bytes.size()), whole));
    if (bytes.size() >= lumivex::kPointFileHeadBytes) {
        // The same head as the start of a far larger file.
        lumivex::PointFile bigger = lumivex::DecodePointFileHead(head, bytes.size() + 1000000);
        FUZZ_CHECK(bigger.fileSize == bytes.size() + 1000000);
        bigger.fileSize = whole.fileSize;
        FUZZ_CHECK(Same(bigger, whole));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const lumivex::PointFile pf = lumivex::DecodePointFile(bytes);

    FUZZ_CHECK(pf.fileSize == size);
    CheckHeadDecoding(bytes, pf);
    const unsigned n = size >= 50 ? bytes[48] * 255u + bytes[49] : 0u;
    FUZZ_CHECK(pf.ptCount == n);

    const lumivex::FileLabels labels = lumivex::PointFileLabels("name.dat", pf);
    FUZZ_CHECK(labels.panelName == "name.dat");
    const lumivex::FileLabels ilda = lumivex::IldaFileLabels("name.ild", pf.ptCount);
    FUZZ_CHECK(ilda.panelName == "name.ild");

    const int plotted = lumivex::PlottedSampleCount(pf.ptCount);
    // Never more than the stored samples, whatever count a rejected file left.
    FUZZ_CHECK(plotted == (n >= 10 ? std::min<int>(static_cast<int>(n) - 9, lumivex::kSampleCapacity) : 0));

    if (!pf.accepted()) {
        FUZZ_CHECK(pf.listing.size() == 1);
        FUZZ_CHECK(pf.listing[0] == std::to_string(n) + " Points");
        FUZZ_CHECK(!pf.message.empty());
        const bool tooMany = n > lumivex::kMaxPointCount;
        FUZZ_CHECK(tooMany == (pf.verdict == lumivex::PointFileVerdict::TooManyPoints));
        FUZZ_CHECK(tooMany || size < 66 + 2 * std::size_t{n});
        return 0;
    }

    FUZZ_CHECK(n <= lumivex::kMaxPointCount);
    FUZZ_CHECK(size >= 66 + 2 * std::size_t{n});
    FUZZ_CHECK(labels.points == "File points:   " + std::to_string(n));
    FUZZ_CHECK(labels.fileSize == "File size in bytes: " + std::to_string(size));

    const std::size_t rows = (std::size_t{n} + 1 + 31) / 32;
    FUZZ_CHECK(pf.listing.size() == 2 + rows + 2 + rows);
    FUZZ_CHECK(pf.listing[0].size() == 96);
    FUZZ_CHECK(pf.listing[1] == "X VALUES");
    FUZZ_CHECK(pf.listing[2 + rows].empty());
    FUZZ_CHECK(pf.listing[3 + rows] == "Y VALUES");
    CheckAxis(pf, bytes, 2, 64);
    CheckAxis(pf, bytes, 4 + rows, 65 + std::size_t{n});

    for (std::size_t k = 0; k <= n; ++k) {
        FUZZ_CHECK(pf.xBuf[k] == static_cast<std::uint8_t>(bytes[64 + k] ^ 0x80));
        FUZZ_CHECK(pf.yBuf[k] == static_cast<std::uint8_t>(128 - bytes[65 + n + k]));
    }
    return 0;
}
