#include "lumivex/Colors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <utility>

namespace lumivex {

namespace {

struct NamedColor {
    const char *name;
    TColor color;
    std::uint8_t ildaIndex;
};

// Navy and blue share index 40; the export never consults the palette.
constexpr std::array<NamedColor, 9> kColors{{
    {"red", clRed, 0},
    {"yellow", clYellow, 16},
    {"lime", clLime, 24},
    {"aqua", clAqua, 32},
    {"navy", clNavy, 40},
    {"blue", clBlue, 40},
    {"fuchsia", clFuchsia, 48},
    {"white", clWhite, 56},
    {"black", clBlack, 64},
}};

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<TColor> hexValue(const std::string &digits)
{
    TColor value = 0;
    for (const char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<TColor>(digit);
    }
    return value;
}

} // namespace

std::uint8_t ColorToIlda(TColor color)
{
    for (const NamedColor &entry : kColors)
        if (entry.color == color)
            return entry.ildaIndex;
    return 0;
}

bool IsSwatchColor(TColor color)
{
    return std::any_of(kColors.begin(), kColors.end(),
                       [color](const NamedColor &entry) { return entry.color == color; });
}

std::optional<TColor> ParseColor(const std::string &text)
{
    const std::string name = lowered(text);
    for (const NamedColor &entry : kColors)
        if (name == entry.name)
            return entry.color;

    // #RRGGBB, as web pages and drawings write colours: six hex digits.
    if (name.size() == 7 && name[0] == '#') {
        const auto rgb = hexValue(name.substr(1));
        if (!rgb)
            return std::nullopt;
        return (*rgb >> 16 & 0xFF) | (*rgb & 0xFF00) | (*rgb & 0xFF) << 16;
    }
    // 0xBBGGRR: one to six hex digits, nothing else. Larger values would name
    // system colours, which no ILDA file can hold.
    if (name.size() < 3 || name.size() > 8 || name[0] != '0' || name[1] != 'x')
        return std::nullopt;
    return hexValue(name.substr(2));
}

} // namespace lumivex
