// The hex-dump line: 16 bytes of a file at a position, as the text pane and
// `lumivex hexdump` show them. Position, two blanks, the bytes in hex in
// groups of four, blanks up to column 62, the bytes as characters, CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace lumivex {

constexpr std::size_t kHexLineBytes = 16;
// The longest line: a 16-digit position, 48 + 4 hex columns, 16 characters, CR LF.
constexpr std::size_t kMaxHexLineLength = 16 + 2 + 52 + 16 + 2;

// Writes the line for bytes (1 to 16 of them) that start at position into
// out, which holds at least kMaxHexLineLength characters. Returns its length,
// CR LF included; no terminating zero.
std::size_t FormatHexLine(std::uint64_t position, std::span<const std::uint8_t> bytes, char *out);

std::string HexLine(std::uint64_t position, std::span<const std::uint8_t> bytes);

// Formats every line of a block that starts at position (a multiple of 16)
// into out, which holds at least HexDumpCapacity(bytes.size()) characters.
// Returns the number of characters written. The fast path for whole files.
std::size_t FormatHexLines(std::uint64_t position, std::span<const std::uint8_t> bytes, char *out);
constexpr std::size_t HexDumpCapacity(std::size_t byteCount)
{
    return (byteCount + kHexLineBytes - 1) / kHexLineBytes * kMaxHexLineLength;
}

// Lines in the dump of a file of size bytes.
constexpr std::uint64_t HexLineCount(std::uint64_t size)
{
    return (size + kHexLineBytes - 1) / kHexLineBytes;
}

// "Reading...  $" and the position in upper-case hex, at least five digits.
std::string ProgressText(std::int64_t position);

} // namespace lumivex
