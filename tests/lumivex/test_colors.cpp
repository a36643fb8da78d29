#include "lumivex/Colors.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

struct ColorCase {
    const char *name;
    TColor color;
    std::uint8_t index;
};

class SwatchColor : public ::testing::TestWithParam<ColorCase> {};

TEST_P(SwatchColor, NameValueAndIldaIndex)
{
    const ColorCase &c = GetParam();
    EXPECT_EQ(ColorToIlda(c.color), c.index);
    EXPECT_EQ(ParseColor(c.name), c.color);
}

INSTANTIATE_TEST_SUITE_P(
    Swatches, SwatchColor,
    ::testing::Values(ColorCase{"red", 0x0000FF, 0}, ColorCase{"yellow", 0x00FFFF, 16},
                      ColorCase{"lime", 0x00FF00, 24}, ColorCase{"aqua", 0xFFFF00, 32},
                      ColorCase{"navy", 0x800000, 40}, ColorCase{"blue", 0xFF0000, 40},
                      ColorCase{"fuchsia", 0xFF00FF, 48}, ColorCase{"white", 0xFFFFFF, 56},
                      ColorCase{"black", 0x000000, 64}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ColorToIlda, OtherValuesGiveZero)
{
    for (TColor other : {TColor{0x000080}, TColor{0x808080}, TColor{0x0000FE}, TColor{0x8000000F}, TColor{0x01000000}})
        EXPECT_EQ(ColorToIlda(other), 0) << std::hex << other;
}

struct ParseCase {
    const char *text;
    std::optional<TColor> color;
};

class ColorText : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ColorText, Parses)
{
    EXPECT_EQ(ParseColor(GetParam().text), GetParam().color) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ColorText,
                         ::testing::Values(ParseCase{"RED", 0x0000FF}, ParseCase{"Navy", 0x800000},
                                           ParseCase{"0x800000", 0x800000}, ParseCase{"0XffFFff", 0xFFFFFF},
                                           ParseCase{"0x1", 0x000001}, ParseCase{"0x", std::nullopt},
                                           ParseCase{"0x1000000", std::nullopt}, ParseCase{"0x12345g", std::nullopt},
                                           ParseCase{"800000", std::nullopt}, ParseCase{"", std::nullopt},
                                           ParseCase{"green", std::nullopt}, ParseCase{" red", std::nullopt},
                                           ParseCase{"0x-1", std::nullopt}, ParseCase{"#00FF00", 0x00FF00},
                                           ParseCase{"#1a2B3c", 0x3C2B1A}, ParseCase{"#fff", std::nullopt},
                                           ParseCase{"#12345G", std::nullopt}, ParseCase{"#1234567", std::nullopt}));

} // namespace
} // namespace lumivex
