#include "lumivex/HexDump.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace lumivex {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::size_t kMinPositionDigits = 5;
constexpr std::size_t kCharColumn = 62; // characters before the character column, when they fit

// "XX " plus one blank per byte, stored four at a time: the fourth character
// is overwritten by the next byte, or stays as the blank after a group of four.
constexpr std::array<std::uint32_t, 256> makeHexWords()
{
    std::array<std::uint32_t, 256> words{};
    for (std::size_t b = 0; b < 256; ++b) {
        const auto hi = static_cast<std::uint32_t>(static_cast<unsigned char>(kHexDigits[b >> 4]));
        const auto lo = static_cast<std::uint32_t>(static_cast<unsigned char>(kHexDigits[b & 0x0F]));
        // Memory order hi, lo, ' ', ' ' on a little-endian machine; the
        // big-endian order is built below.
        if constexpr (std::endian::native == std::endian::little)
            words[b] = hi | lo << 8 | 0x20u << 16 | 0x20u << 24;
        else
            words[b] = hi << 24 | lo << 16 | 0x20u << 8 | 0x20u;
    }
    return words;
}

constexpr std::array<std::uint16_t, 256> makeHexPairs()
{
    std::array<std::uint16_t, 256> pairs{};
    for (std::size_t b = 0; b < 256; ++b) {
        const auto hi = static_cast<std::uint16_t>(static_cast<unsigned char>(kHexDigits[b >> 4]));
        const auto lo = static_cast<std::uint16_t>(static_cast<unsigned char>(kHexDigits[b & 0x0F]));
        if constexpr (std::endian::native == std::endian::little)
            pairs[b] = static_cast<std::uint16_t>(hi | lo << 8);
        else
            pairs[b] = static_cast<std::uint16_t>(hi << 8 | lo);
    }
    return pairs;
}

constexpr std::array<char, 256> makeCharMap()
{
    std::array<char, 256> map{};
    for (std::size_t b = 0; b < 256; ++b)
        map[b] = (b >= 32 && b <= 126) ? static_cast<char>(b) : '.';
    return map;
}

constexpr auto kHexWords = makeHexWords();
constexpr auto kHexPairs = makeHexPairs();
constexpr auto kCharMap = makeCharMap();

std::size_t positionDigits(std::uint64_t position)
{
    const auto digits = static_cast<std::size_t>((std::bit_width(position) + 3) / 4);
    return std::max(kMinPositionDigits, digits);
}

// Writes the position in exactly digits upper-case hex digits.
char *putPosition(std::uint64_t position, std::size_t digits, char *out)
{
    char *p = out + digits;
    std::size_t left = digits;
    while (left >= 2) {
        p -= 2;
        std::memcpy(p, &kHexPairs[position & 0xFF], 2);
        position >>= 8;
        left -= 2;
    }
    if (left)
        *--p = kHexDigits[position & 0x0F];
    return out + digits;
}

char *putBlanks(char *p, std::size_t count)
{
    std::memset(p, ' ', count);
    return p + count;
}

// A line of exactly 16 bytes: the one the dump is made of, so it is the fast one.
std::size_t formatFullLine(std::uint64_t position, const std::uint8_t *src, char *out)
{
    char *p = putPosition(position, positionDigits(position), out);
    p[0] = ' ';
    p[1] = ' ';
    p += 2;
    for (std::size_t group = 0; group < 4; ++group) {
        const std::uint8_t *g = src + group * 4;
        std::memcpy(p + 0, &kHexWords[g[0]], 4);
        std::memcpy(p + 3, &kHexWords[g[1]], 4);
        std::memcpy(p + 6, &kHexWords[g[2]], 4);
        std::memcpy(p + 9, &kHexWords[g[3]], 4);
        p += 13;
    }
    const auto used = static_cast<std::size_t>(p - out);
    if (used < kCharColumn)
        p = putBlanks(p, kCharColumn - used);
    for (std::size_t i = 0; i < kHexLineBytes; ++i)
        p[i] = kCharMap[src[i]];
    p += kHexLineBytes;
    p[0] = '\r';
    p[1] = '\n';
    return static_cast<std::size_t>(p + 2 - out);
}

} // namespace

std::size_t FormatHexLine(std::uint64_t position, std::span<const std::uint8_t> bytes, char *out)
{
    const std::size_t count = std::min(bytes.size(), kHexLineBytes);
    if (count == kHexLineBytes)
        return formatFullLine(position, bytes.data(), out);
    if (count == 0)
        return 0;

    char *p = putPosition(position, positionDigits(position), out);
    p = putBlanks(p, 2);
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(p, &kHexPairs[bytes[i]], 2);
        p[2] = ' ';
        p += 3;
        if ((i + 1) % 4 == 0)
            *p++ = ' ';
    }
    const auto used = static_cast<std::size_t>(p - out);
    if (used < kCharColumn)
        p = putBlanks(p, kCharColumn - used);
    for (std::size_t i = 0; i < count; ++i)
        *p++ = kCharMap[bytes[i]];
    *p++ = '\r';
    *p++ = '\n';
    return static_cast<std::size_t>(p - out);
}

std::string HexLine(std::uint64_t position, std::span<const std::uint8_t> bytes)
{
    char line[kMaxHexLineLength];
    return std::string(line, FormatHexLine(position, bytes, line));
}

std::size_t FormatHexLines(std::uint64_t position, std::span<const std::uint8_t> bytes, char *out)
{
    char *p = out;
    const std::uint8_t *src = bytes.data();
    const std::size_t fullLines = bytes.size() / kHexLineBytes;
    for (std::size_t line = 0; line < fullLines; ++line) {
        p += formatFullLine(position, src, p);
        position += kHexLineBytes;
        src += kHexLineBytes;
    }
    const std::size_t rest = bytes.size() % kHexLineBytes;
    if (rest)
        p += FormatHexLine(position, {src, rest}, p);
    return static_cast<std::size_t>(p - out);
}

std::string ProgressText(std::int64_t position)
{
    const auto value = static_cast<std::uint64_t>(std::max<std::int64_t>(0, position));
    char digits[16];
    const std::size_t n = positionDigits(value);
    putPosition(value, n, digits);
    return "Reading...  $" + std::string(digits, n);
}

} // namespace lumivex
