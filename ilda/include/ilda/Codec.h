// The byte layouts of ILDA files: the 32-byte section header and the
// records of every format, decoded and encoded here and nowhere else. Both
// readings (TIldaFile's and the standard one) and both writers stand on it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ilda {

// 0x00BBGGRR, as the rest of the program keeps colours.
using Color = std::uint32_t;

constexpr Color Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return Color{r} | Color{g} << 8 | Color{b} << 16;
}

constexpr std::size_t kHeaderSize = 32;
// Format 3 as first proposed: "ILDA", three reserved bytes, the code, a
// 4-byte length (4 + 3 x colours) and a 4-byte colour count.
constexpr std::size_t kShortTableHeaderSize = 16;

constexpr std::uint8_t kFormat3dIndexed = 0;
constexpr std::uint8_t kFormat2dIndexed = 1;
constexpr std::uint8_t kFormatPalette = 2;
constexpr std::uint8_t kFormatColorTable = 3; // true colours of the next frame's points
constexpr std::uint8_t kFormat3dTrueColor = 4;
constexpr std::uint8_t kFormat2dTrueColor = 5;

// Bytes of one record; 0 for a code whose layout nobody knows.
constexpr std::size_t RecordSize(std::uint8_t format)
{
    constexpr std::size_t sizes[] = {8, 6, 3, 3, 10, 8};
    return format < 6 ? sizes[format] : 0;
}

constexpr bool IsFrameFormat(std::uint8_t format)
{
    return format == kFormat3dIndexed || format == kFormat2dIndexed || format == kFormat3dTrueColor ||
           format == kFormat2dTrueColor;
}
constexpr bool IsIndexed(std::uint8_t format)
{
    return format <= kFormat2dIndexed;
}
constexpr bool Is3d(std::uint8_t format)
{
    return format == kFormat3dIndexed || format == kFormat3dTrueColor;
}

// Status byte of a point record.
constexpr std::uint8_t kLastPointBit = 0x80;
constexpr std::uint8_t kBlankingBit = 0x40;
constexpr std::uint8_t kReservedStatusBits = 0x3F;

// The 32-byte section header, field by field; names keep all eight bytes.
struct Header {
    std::array<std::uint8_t, 3> reserved{}; // bytes 4 to 6
    std::uint8_t format = 0;
    std::array<char, 8> name{};
    std::array<char, 8> company{};
    std::uint16_t recordCount = 0;
    std::uint16_t number = 0;
    std::uint16_t total = 0;
    std::uint8_t projector = 0;
    std::uint8_t reservedLast = 0; // byte 31

    bool ReservedSet() const { return reserved[0] || reserved[1] || reserved[2] || reservedLast; }
};

// A name field as text: the bytes before the first zero.
std::string NameText(const std::array<char, 8> &field);
// The same text as UTF-8: the bytes are Latin-1, as every face shows them.
std::string NameUtf8(const std::array<char, 8> &field);
// text cut to eight bytes, the rest zero.
std::array<char, 8> NameField(const std::string &text);

// The first four bytes are "ILDA".
bool HasSignature(const std::uint8_t *bytes);
Header DecodeHeader(const std::uint8_t *bytes); // 32 bytes
void EncodeHeader(const Header &header, std::uint8_t *out);

// The colour count of a format-3 section with the 16-byte header, when the
// 16 bytes at bytes are one (its length field agrees with its count).
std::optional<std::uint32_t> ShortTableCount(const std::uint8_t *bytes);

// One point record, decoded.
struct Point {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t z = 0; // 0 in the 2D formats
    std::uint8_t status = 0;
    std::uint8_t colorIndex = 0; // indexed formats only
    bool indexed = false;
    Color color = 0; // what the point shows: 0 when blanked

    bool Blanked() const { return status & kBlankingBit; }
    bool Last() const { return status & kLastPointBit; }
};

// The colour of each index of an indexed format.
using ColorMap = std::array<Color, 256>;

// Decodes count records of frame format (0, 1, 4 or 5) from in into out.
// Indexed points take their colour from colors; blanked points show 0.
void DecodePoints(std::uint8_t format, const std::uint8_t *in, std::size_t count, const ColorMap &colors, Point *out);
// Records of formats 2 and 3: red, green, blue.
void DecodeColors(const std::uint8_t *in, std::size_t count, Color *out);

// The record of point in frame format; true-colour formats store point.color.
// Inline: writers call it once a point.
inline void EncodePoint(std::uint8_t format, const Point &point, std::uint8_t *out)
{
    auto put16 = [](std::uint8_t *at, std::int16_t v) {
        at[0] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
        at[1] = static_cast<std::uint8_t>(v);
    };
    put16(out, point.x);
    put16(out + 2, point.y);
    std::uint8_t *tail = out + 4;
    if (Is3d(format)) {
        put16(out + 4, point.z);
        tail = out + 6;
    }
    tail[0] = point.status;
    if (IsIndexed(format)) {
        tail[1] = point.colorIndex;
    } else {
        tail[1] = static_cast<std::uint8_t>(point.color >> 16); // blue first
        tail[2] = static_cast<std::uint8_t>(point.color >> 8);
        tail[3] = static_cast<std::uint8_t>(point.color);
    }
}
void EncodeColor(Color color, std::uint8_t *out);

} // namespace ilda
