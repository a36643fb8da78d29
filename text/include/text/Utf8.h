// The text a user typed, as letters.
#pragma once

#include "rtl/Result.h"

#include <string>
#include <string_view>

namespace text {

// The code points of UTF-8 bytes; malformed bytes, overlong forms and
// surrogates are refused with the byte offset where they start.
rtl::Result<std::u32string> DecodeUtf8(std::string_view bytes);

// One code point as UTF-8.
std::string EncodeUtf8(char32_t letter);

} // namespace text
