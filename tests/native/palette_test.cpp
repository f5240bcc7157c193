#include <gtest/gtest.h>

#include <cstring>

#include "flame_canvas.h"

TEST(HeatPalette, TellingRowsRunBlackRedYellowWhite)
{
    HeatPalette palette;
    BuildHeatPalette(&palette);
    const struct {
        int heat;
        uint32_t pixel;
    } rows[] = {
        {0, 0x00000000},  {1, 0x00080000},  {2, 0x00100000},   {16, 0x00830000},  {30, 0x00F60000},
        {31, 0x00FF0000}, {32, 0x00FF0700}, {47, 0x00FF7F00},  {62, 0x00FFF700},  {63, 0x00FFFF00},
        {64, 0x00FFFF03}, {95, 0x00FFFF7F}, {126, 0x00FFFFFB}, {127, 0x00FFFFFF},
    };
    for (const auto& row : rows)
        EXPECT_EQ(HeatPixel(&palette, row.heat), row.pixel) << "heat " << row.heat;
    for (int heat = 1; heat < HEAT_LEVELS; ++heat) {
        EXPECT_NE(HeatPixel(&palette, heat), 0u) << "heat " << heat;
        EXPECT_GE(palette.red[heat], 8) << "heat " << heat;
    }
}

TEST(HeatPalette, RebuildingGivesTheSameBytes)
{
    HeatPalette first;
    HeatPalette second;
    memset(&first, 0xAB, sizeof first);
    memset(&second, 0x5C, sizeof second);
    BuildHeatPalette(&first);
    BuildHeatPalette(&second);
    BuildHeatPalette(&second);
    EXPECT_EQ(memcmp(&first, &second, sizeof first), 0);
}

TEST(ColourTriple, BecomesAPlatformColourWithRedInTheLowestByte)
{
    EXPECT_EQ(ColourToPlatform({255.0, 0.0, 0.0}), 0x000000FFu);
    EXPECT_EQ(ColourToPlatform({0.0, 0.0, 0.0}), 0x00000000u);
    EXPECT_EQ(ColourToPlatform({1.9, 2.5, 3.99}), 0x00030201u);
    EXPECT_EQ(ColourToPlatform({256.0, 511.0, 0.0}), 0x0000FF00u);
}
