// The typed text as letters: UTF-8 decoded, anything else refused.
#include "text/Shape.h"
#include "text/Utf8.h"

#include <gtest/gtest.h>

namespace {

struct Utf8Case {
    const char *bytes;
    std::u32string letters; // empty: refused
    std::size_t badAt = 0;
};

class Utf8 : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8, DecodesLettersAndRefusesMalformedBytes)
{
    const Utf8Case c = GetParam();
    const auto letters = text::DecodeUtf8(c.bytes);
    if (c.letters.empty()) {
        ASSERT_FALSE(letters);
        EXPECT_NE(letters.message().find("byte " + std::to_string(c.badAt)), std::string::npos) << letters.message();
        return;
    }
    ASSERT_TRUE(letters) << letters.message();
    EXPECT_EQ(*letters, c.letters);
    std::string again;
    for (char32_t letter : *letters)
        again += text::EncodeUtf8(letter);
    EXPECT_EQ(again, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Bytes, Utf8,
                         ::testing::Values(Utf8Case{"HELLO", U"HELLO"},
                                           Utf8Case{"Gr\xC3\xBC\xC3\x9F"
                                                    "e",
                                                    U"Gr\u00FC\u00DFe"},
                                           Utf8Case{"\xE2\x98\x83", U"\u2603"},
                                           Utf8Case{"\xF0\x9F\x98\x80", U"\U0001F600"}, Utf8Case{"ab\xC3", U"", 2},
                                           Utf8Case{"\xC0\x80", U"", 0}, Utf8Case{"x\xED\xA0\x80", U"", 1},
                                           Utf8Case{"\xF4\x90\x80\x80", U"", 0}, Utf8Case{"\x80", U"", 0},
                                           Utf8Case{"a\xFF", U"", 1},
                                           Utf8Case{"\xE2\x98"
                                                    "A",
                                                    U"", 0}));

TEST(DescribeLetters, ShowsEachLetterWithItsCode)
{
    EXPECT_EQ(text::DescribeLetters(U"\u00E9\t\U0001F600"), "\u00E9 (U+00E9), U+0009, \U0001F600 (U+1F600)");
}

} // namespace
