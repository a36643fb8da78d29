// The little JSON the ilda command writes.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// text as a JSON string's contents, without the quotes: control
// characters escaped, so it is also safe to show on a terminal. Bytes
// above 127 are taken as Latin-1 and escaped, so the result is plain ASCII
// whatever the input.
inline std::string EscapedText(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20 || c > 0x7E) {
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 0x0F];
            } else {
                out += ch;
            }
        }
    }
    return out;
}

// text as a JSON string, quotes included.
inline std::string JsonString(std::string_view text)
{
    return "\"" + EscapedText(text) + "\"";
}

} // namespace cli
