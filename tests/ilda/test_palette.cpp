#include "ilda/IldaObj.h"

#include <gtest/gtest.h>

class Palette : public ::testing::TestWithParam<std::pair<int, std::uint32_t>> {};

TEST_P(Palette, TableHoldsThePaletteColour)
{
    const auto index = static_cast<std::uint8_t>(GetParam().first);
    EXPECT_EQ(PaletteColor(index), GetParam().second);
    EXPECT_EQ(ColorTable[index], GetParam().second);
    if (index != 255) {
        EXPECT_EQ(TIldaFile::IndexToColor(index), GetParam().second);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Indices, Palette,
    ::testing::Values(std::pair{0, 0x000000u}, std::pair{1, 0x0000FFu}, std::pair{2, 0x00FFFFu},
                      std::pair{3, 0xFF0000u}, std::pair{4, 0x00FFFFu}, std::pair{5, 0xFFFF00u},
                      std::pair{6, 0xFF80FFu}, std::pair{7, 0xFFFFFFu}, std::pair{8, 0x00FF80u},
                      std::pair{9, 0x008080u}, std::pair{10, 0x000080u}, std::pair{11, 0x800000u},
                      std::pair{12, 0x800080u}, std::pair{13, 0x80FFFFu}, std::pair{14, 0x808080u},
                      std::pair{15, 0xFF00FFu}, std::pair{16, 0xFF0000u}, std::pair{17, 0xFF0000u},
                      std::pair{128, 0xFF0000u}, std::pair{254, 0xFF0000u}, std::pair{255, 0xFF0000u}));

TEST(Palette, NoIndexIsPureGreen)
{
    for (int i = 0; i < 256; ++i)
        EXPECT_NE(PaletteColor(static_cast<std::uint8_t>(i)), 0x00FF00u) << i;
    EXPECT_EQ(PaletteColor(2), PaletteColor(4));
}

TEST(Palette, IndexToColorGives255BlueWhateverTheTableHolds)
{
    ColorTable[255] = 0x123456;
    EXPECT_EQ(TIldaFile::IndexToColor(255), 0xFF0000u);
    TIldaFile::RebuildColorTable();
    EXPECT_EQ(ColorTable[255], 0xFF0000u);
}

TEST(Palette, FillingTwiceLeavesTheTableAsTheFirstFill)
{
    BuildColorTable();
    const auto first = ColorTable;
    ColorTable.fill(0xDEAD);
    BuildColorTable();
    EXPECT_EQ(ColorTable, first);
    TIldaFile file;
    file.RebuildColorTable();
    EXPECT_EQ(ColorTable, first);
}

TEST(Palette, ExportIndicesReadBackBlackOrBlue)
{
    EXPECT_EQ(TIldaFile::IndexToColor(0), 0x000000u);
    for (int i : {16, 24, 32, 40, 48, 56, 64})
        EXPECT_EQ(TIldaFile::IndexToColor(static_cast<std::uint8_t>(i)), 0xFF0000u) << i;
}
