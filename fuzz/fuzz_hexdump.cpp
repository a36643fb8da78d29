// The hex dump of arbitrary bytes at an arbitrary starting position: the
// line-by-line reading the pane does, the whole-block fast path and the
// line-for-offset access all give the same text, and every line is well
// formed.
#include "Check.h"

#include "lumivex/HexDump.h"
#include "rtl/Classes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace {

// Where the dump starts: 0, just before the six-digit boundary, or anywhere
// up to 2^60 (so positions up to 16 digits come out, without overflow).
std::uint64_t BasePosition(const std::uint8_t *&data, std::size_t &size)
{
    if (size < 9) return 0;
    std::uint64_t raw = 0;
    std::memcpy(&raw, data + 1, 8);
    const std::uint8_t mode = data[0];
    data += 9;
    size -= 9;
    switch (mode % 4) {
    case 0: return 0;
    case 1: return 0x100000 - 16 * (raw % 64);
    case 2: return (raw % (1u << 24)) & ~std::uint64_t{15};
    default: return (raw & ((std::uint64_t{1} << 60) - 1)) & ~std::uint64_t{15};
    }
}

const char kDigits[] = "0123456789ABCDEF";

void CheckLine(const std::string &line, std::uint64_t position, std::span<const std::uint8_t> chunk)
{
    FUZZ_CHECK(line.size() <= lumivex::kMaxHexLineLength);
    FUZZ_CHECK(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);

    std::string head;
    for (std::uint64_t p = position; p != 0 || head.size() < 5; p >>= 4) head.insert(head.begin(), kDigits[p & 15]);
    head += "  ";
    FUZZ_CHECK(line.compare(0, head.size(), head) == 0);

    std::string hex;
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        hex += kDigits[chunk[i] >> 4];
        hex += kDigits[chunk[i] & 15];
        hex += ' ';
        if ((i + 1) % 4 == 0) hex += ' ';
    }
    std::size_t at = head.size();
    FUZZ_CHECK(line.compare(at, hex.size(), hex) == 0);
    at += hex.size();
    const std::size_t charColumn = std::max<std::size_t>(62, at);
    FUZZ_CHECK(line.size() == charColumn + chunk.size() + 2);
    for (; at < charColumn; ++at) FUZZ_CHECK(line[at] == ' ');
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        const char shown = chunk[i] >= 32 && chunk[i] <= 126 ? static_cast<char>(chunk[i]) : '.';
        FUZZ_CHECK(line[charColumn + i] == shown);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::uint64_t base = BasePosition(data, size);
    const std::span<const std::uint8_t> bytes(data, size);

    // The pane's way: one line per call from a stream, until a read brings nothing.
    rtl::TMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    std::string sequential;
    std::vector<std::string> lines;
    char out[lumivex::kMaxHexLineLength];
    for (;;) {
        const std::int64_t position = stream.Position();
        std::uint8_t chunk[lumivex::kHexLineBytes];
        const std::size_t got = stream.Read(chunk, sizeof chunk);
        if (got == 0) break;
        FUZZ_CHECK(got == std::min<std::size_t>(16, size - static_cast<std::size_t>(position)));
        const std::uint64_t at = base + static_cast<std::uint64_t>(position);
        const std::size_t len = lumivex::FormatHexLine(at, std::span(chunk, got), out);
        lines.emplace_back(out, len);
        FUZZ_CHECK(lines.back() == lumivex::HexLine(at, std::span(chunk, got)));
        CheckLine(lines.back(), at, std::span(chunk, got));
        sequential += lines.back();
    }
    FUZZ_CHECK(lines.size() == lumivex::HexLineCount(size));

    // The fast path for whole blocks.
    std::vector<char> block(lumivex::HexDumpCapacity(size) + 1);
    const std::size_t blockLen = lumivex::FormatHexLines(base, bytes, block.data());
    FUZZ_CHECK(blockLen <= lumivex::HexDumpCapacity(size));
    FUZZ_CHECK(std::string(block.data(), blockLen) == sequential);

    // Line-for-offset access, as a lazy pane asks for the lines it shows:
    // the first, the last and one in between.
    if (!lines.empty()) {
        for (const std::size_t index : {std::size_t{0}, lines.size() / 2, lines.size() - 1}) {
            stream.SetPosition(static_cast<std::int64_t>(index * 16));
            std::uint8_t chunk[lumivex::kHexLineBytes];
            const std::size_t got = stream.Read(chunk, sizeof chunk);
            const std::size_t len = lumivex::FormatHexLine(base + index * 16, std::span(chunk, got), out);
            FUZZ_CHECK(std::string(out, len) == lines[index]);
        }
    }
    return 0;
}
