#include "text/Utf8.h"
#include "text/Shape.h"

#include <cstdio>

namespace text {

namespace {

// The length of the sequence a lead byte starts; 0 for a byte that starts none.
int SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};

// The letter at bytes[at] and its length, or 0 when the bytes there are not UTF-8.
int DecodeOne(std::string_view bytes, std::size_t at, char32_t &letter)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const int length = SequenceLength(lead);
    if (length == 0 || at + length > bytes.size())
        return 0;
    letter = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        letter = letter << 6 | (next & 0x3F);
    }
    if (letter < kSmallest[length] || letter > 0x10FFFF || (letter >= 0xD800 && letter <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

rtl::Result<std::u32string> DecodeUtf8(std::string_view bytes)
{
    std::u32string letters;
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t letter = 0;
        const int length = DecodeOne(bytes, at, letter);
        if (length == 0)
            return rtl::Fail("the text is not UTF-8 (byte " + std::to_string(at) + ")");
        letters.push_back(letter);
        at += length;
    }
    return letters;
}

std::string EncodeUtf8(char32_t letter)
{
    std::string out;
    if (letter < 0x80) {
        out += char(letter);
    } else if (letter < 0x800) {
        out += char(0xC0 | letter >> 6);
        out += char(0x80 | (letter & 0x3F));
    } else if (letter < 0x10000) {
        out += char(0xE0 | letter >> 12);
        out += char(0x80 | (letter >> 6 & 0x3F));
        out += char(0x80 | (letter & 0x3F));
    } else {
        out += char(0xF0 | letter >> 18);
        out += char(0x80 | (letter >> 12 & 0x3F));
        out += char(0x80 | (letter >> 6 & 0x3F));
        out += char(0x80 | (letter & 0x3F));
    }
    return out;
}

std::string DescribeLetters(const std::u32string &letters)
{
    std::string out;
    for (const char32_t letter : letters) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", unsigned(letter));
        const bool printable = letter >= 0x20 && letter != 0x7F && !(letter >= 0x80 && letter < 0xA0);
        out += (out.empty() ? "" : ", ") + (printable ? EncodeUtf8(letter) + " (" + code + ")" : std::string(code));
    }
    return out;
}

} // namespace text
