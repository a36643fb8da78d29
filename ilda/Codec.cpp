#include "ilda/Codec.h"

#include <algorithm>
#include <cstring>

namespace ilda {

namespace {

constexpr char kSignature[4] = {'I', 'L', 'D', 'A'};

unsigned GetU16(const std::uint8_t *in)
{
    return unsigned{in[0]} << 8 | in[1];
}

std::int16_t GetS16(const std::uint8_t *in)
{
    return static_cast<std::int16_t>(GetU16(in));
}

std::uint32_t GetU32(const std::uint8_t *in)
{
    return std::uint32_t{in[0]} << 24 | std::uint32_t{in[1]} << 16 | std::uint32_t{in[2]} << 8 | in[3];
}

void PutU16(std::uint8_t *out, unsigned v)
{
    out[0] = static_cast<std::uint8_t>(v >> 8);
    out[1] = static_cast<std::uint8_t>(v);
}

// One loop per layout, so the format is looked at once per frame, not per point.
template <bool ThreeD, bool Indexed>
void DecodeLoop(const std::uint8_t *in, std::size_t count, const ColorMap &colors, Point *out)
{
    constexpr std::size_t size = RecordSize(ThreeD ? (Indexed ? 0 : 4) : (Indexed ? 1 : 5));
    constexpr std::size_t tail = ThreeD ? 6 : 4;
    for (std::size_t i = 0; i < count; ++i, in += size) {
        Point &p = out[i];
        p.x = GetS16(in);
        p.y = GetS16(in + 2);
        p.z = ThreeD ? GetS16(in + 4) : std::int16_t{0};
        const std::uint8_t status = in[tail];
        p.status = status;
        p.indexed = Indexed;
        // All ones for a lit point, zero for a blanked one.
        const Color lit = Color{0} - Color{(status & kBlankingBit) == 0};
        if constexpr (Indexed) {
            p.colorIndex = in[tail + 1];
            p.color = colors[in[tail + 1]] & lit;
        } else {
            p.colorIndex = 0;
            p.color = Rgb(in[tail + 3], in[tail + 2], in[tail + 1]) & lit; // stored B, G, R
        }
    }
}

} // namespace

std::string NameText(const std::array<char, 8> &field)
{
    const auto end = std::find(field.begin(), field.end(), '\0');
    return std::string(field.begin(), end);
}

std::string NameUtf8(const std::array<char, 8> &field)
{
    std::string text;
    for (const char ch : NameText(field)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            text += ch;
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

std::array<char, 8> NameField(const std::string &text)
{
    std::array<char, 8> field{};
    std::copy_n(text.begin(), std::min(text.size(), field.size()), field.begin());
    return field;
}

bool HasSignature(const std::uint8_t *bytes)
{
    return std::memcmp(bytes, kSignature, sizeof kSignature) == 0;
}

Header DecodeHeader(const std::uint8_t *bytes)
{
    Header h;
    std::copy_n(bytes + 4, 3, h.reserved.begin());
    h.format = bytes[7];
    std::copy_n(bytes + 8, 8, h.name.begin());
    std::copy_n(bytes + 16, 8, h.company.begin());
    h.recordCount = static_cast<std::uint16_t>(GetU16(bytes + 24));
    h.number = static_cast<std::uint16_t>(GetU16(bytes + 26));
    h.total = static_cast<std::uint16_t>(GetU16(bytes + 28));
    h.projector = bytes[30];
    h.reservedLast = bytes[31];
    return h;
}

void EncodeHeader(const Header &header, std::uint8_t *out)
{
    std::memcpy(out, kSignature, sizeof kSignature);
    std::copy_n(header.reserved.begin(), 3, out + 4);
    out[7] = header.format;
    std::copy_n(header.name.begin(), 8, out + 8);
    std::copy_n(header.company.begin(), 8, out + 16);
    PutU16(out + 24, header.recordCount);
    PutU16(out + 26, header.number);
    PutU16(out + 28, header.total);
    out[30] = header.projector;
    out[31] = header.reservedLast;
}

std::optional<std::uint32_t> ShortTableCount(const std::uint8_t *bytes)
{
    if (bytes[7] != kFormatColorTable)
        return std::nullopt;
    const std::uint64_t length = GetU32(bytes + 8);
    const std::uint64_t count = GetU32(bytes + 12);
    if (length != 4 + 3 * count)
        return std::nullopt;
    return static_cast<std::uint32_t>(count);
}

void DecodePoints(std::uint8_t format, const std::uint8_t *in, std::size_t count, const ColorMap &colors, Point *out)
{
    switch (format) {
    case kFormat3dIndexed: DecodeLoop<true, true>(in, count, colors, out); break;
    case kFormat2dIndexed: DecodeLoop<false, true>(in, count, colors, out); break;
    case kFormat3dTrueColor: DecodeLoop<true, false>(in, count, colors, out); break;
    case kFormat2dTrueColor: DecodeLoop<false, false>(in, count, colors, out); break;
    default: break;
    }
}

void DecodeColors(const std::uint8_t *in, std::size_t count, Color *out)
{
    for (std::size_t i = 0; i < count; ++i, in += 3)
        out[i] = Rgb(in[0], in[1], in[2]);
}

void EncodeColor(Color color, std::uint8_t *out)
{
    out[0] = static_cast<std::uint8_t>(color);
    out[1] = static_cast<std::uint8_t>(color >> 8);
    out[2] = static_cast<std::uint8_t>(color >> 16);
}

} // namespace ilda
