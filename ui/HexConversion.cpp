#include "ui/HexConversion.h"

#include "lumivex/HexDump.h"

#include <cstring>

namespace {
// Progress is reported when a read ends on such a boundary.
constexpr std::int64_t kProgressStep = 4096;
// The longest line of an ordinary file and its terminating zero.
constexpr int kMinBuffer = 83;
} // namespace

int THexConversion::ReadConverted(rtl::TStream &Stream, char *Buffer, int Size)
{
    if (Size < kMinBuffer)
        return 0;
    const std::int64_t position = Stream.Position();
    std::uint8_t bytes[lumivex::kHexLineBytes];
    const std::size_t count = Stream.Read(bytes, sizeof bytes);
    if (count == 0)
        return 0;
    char line[lumivex::kMaxHexLineLength];
    const std::size_t length = lumivex::FormatHexLine(std::uint64_t(position), {bytes, count}, line);
    if (length + 1 > std::size_t(Size)) {
        // Only positions of eleven hex digits (past 1 TiB) make a line
        // this long: leave the bytes unread rather than cut the line.
        Stream.SetPosition(position);
        return 0;
    }
    std::memcpy(Buffer, line, length);
    Buffer[length] = '\0';
    const std::int64_t after = Stream.Position();
    if (after % kProgressStep == 0 && OnProgress)
        OnProgress(after);
    return int(length);
}

std::uint64_t THexConversion::LineCount(std::uint64_t fileSize) const
{
    return lumivex::HexLineCount(fileSize);
}

std::string THexConversion::LineAt(rtl::TStream &stream, std::uint64_t index)
{
    const std::uint64_t position = index * lumivex::kHexLineBytes;
    stream.SetPosition(std::int64_t(position));
    std::uint8_t bytes[lumivex::kHexLineBytes];
    const std::size_t count = stream.Read(bytes, sizeof bytes);
    if (count == 0)
        return {};
    return lumivex::HexLine(position, {bytes, count});
}
