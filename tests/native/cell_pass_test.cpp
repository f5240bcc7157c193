#include <gtest/gtest.h>

#include "canvas_fixture.h"

TEST(CellPass, FiveByFiveExampleAfterOneAndThreeTicks)
{
    TestCanvas surface;
    BuildNativeCanvas(&surface, 5, 5);
    surface.canvas.fuel[12] = FUEL_VALUE;
    SeedNoise(surface.canvas.noise, 0);

    StepFlameCanvas(surface.canvas, surface.settings);
    for (int i = 0; i < 25; ++i) {
        int expectedHeat = i == 8 ? 20 : i == 12 ? 9 : 0;
        EXPECT_EQ(surface.canvas.heat[i], expectedHeat) << "cell " << i;
        EXPECT_EQ(surface.pixels[i], i == 12 ? 0x00FFFFFFu : 0u) << "cell " << i;
    }
    EXPECT_EQ(surface.canvas.noise.takeIndex, 28);  // 26 draws
    EXPECT_EQ(surface.canvas.noise.lagIndex, 4);
    EXPECT_EQ(surface.canvas.frameCount, 1u);

    StepFlameCanvas(surface.canvas, surface.settings);
    StepFlameCanvas(surface.canvas, surface.settings);
    EXPECT_EQ(surface.pixels[6], 0x00080000u);
    EXPECT_EQ(surface.pixels[7], 0x00080000u);
    EXPECT_EQ(surface.pixels[8], 0x005A0000u);
    EXPECT_EQ(surface.pixels[12], 0x00BD0000u);
    // The top and bottom rows are never painted.
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(surface.pixels[x], 0u);
        EXPECT_EQ(surface.pixels[20 + x], 0u);
    }
    EXPECT_EQ(surface.canvas.frameCount, 3u);
}

// Row ends are not special: the last cell of a row is the left neighbour of the first of the next, so its heat
// rises into the first cell of its own row (the 5 x 5 example never reaches a row end).
TEST(CellPass, TheLastCellOfARowWarmsTheFirstOfItsRowThroughTheNext)
{
    TestCanvas surface;
    BuildNativeCanvas(&surface, 5, 4);
    surface.canvas.coolMask = 0;
    SeedNoise(surface.canvas.noise, 0);
    surface.canvas.heat[9] = 100;
    RunCellPass(surface.canvas);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(surface.canvas.heat[i], i == 3 || i == 4 || i == 5 ? 19 : i == 9 ? 100 : 0) << "cell " << i;
}

TEST(CellPass, FullLevelCoolingLosesExactlyOneStep)
{
    TestCanvas surface;
    for (int h = 1; h <= 127; ++h) {
        BuildNativeCanvas(&surface, 3, 3);
        surface.canvas.coolMask = 0;
        SeedNoise(surface.canvas.noise, static_cast<uint32_t>(h));
        for (int i : {1, 3, 4, 5, 7})
            surface.canvas.heat[i] = static_cast<uint8_t>(h);
        RunCellPass(surface.canvas);
        ASSERT_EQ(surface.canvas.heat[1], h - 1) << "heat " << h;
    }
}

TEST(CellPass, FuelLightsExactlyWhenTheDrawsLowSevenBitsAreBelowSeventy)
{
    TestCanvas surface;
    for (uint32_t draw = 0; draw < 512; ++draw) {
        for (int fuel : {0, FUEL_VALUE}) {
            BuildNativeCanvas(&surface, 3, 3);
            surface.canvas.fuel[4] = static_cast<uint8_t>(fuel);
            // The only cell of a 3 x 3 pass takes the cooling draw from slot
            // 54 and the ignition draw from slot 53.
            surface.canvas.noise.takeIndex = 54;
            surface.canvas.noise.lagIndex = 30;
            surface.canvas.noise.words[54] = 0;
            surface.canvas.noise.words[53] = draw | 0xABCD0000u;
            RunCellPass(surface.canvas);
            bool lit = fuel == FUEL_VALUE && (draw & 0x7F) <= 69;
            ASSERT_EQ(surface.canvas.heat[4], lit ? 127 : 0) << "draw " << draw << " fuel " << fuel;
            ASSERT_EQ(surface.pixels[4], lit ? 0x00FFFFFFu : 0u);
        }
    }
}

TEST(CellPass, TwoRowCanvasTakesNoDrawsButTheCycleAndFrameCountGoOn)
{
    TestCanvas surface;
    BuildNativeCanvas(&surface, 5, 2);
    SeedNoise(surface.canvas.noise, 0);
    for (int i = 0; i < 10; ++i) {
        surface.canvas.fuel[i] = FUEL_VALUE;
        surface.pixels[i] = 0x00123456;
    }
    for (int tick = 0; tick < 31; ++tick)
        StepFlameCanvas(surface.canvas, surface.settings);
    EXPECT_EQ(surface.canvas.noise.takeIndex, 54);
    EXPECT_EQ(surface.canvas.noise.lagIndex, 30);
    EXPECT_EQ(surface.canvas.frameCount, 31u);
    EXPECT_EQ(surface.canvas.level, 1);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(surface.canvas.heat[i], 0);
        EXPECT_EQ(surface.pixels[i], 0x00123456u);
    }
}

TEST(CellPass, CellsWhoseHeatFallsToZeroKeepTheirPixel)
{
    TestCanvas surface;
    BuildNativeCanvas(&surface, 6, 6);
    SeedNoise(surface.canvas.noise, 7);
    for (uint32_t& pixel : surface.pixels)
        pixel = 0x00345678;  // what a background fill or the logs left there
    surface.canvas.heat[14] = 1;
    surface.canvas.heat[15] = 1;
    StepFlameCanvas(surface.canvas, surface.settings);
    // The lone heat of 1 is averaged away; its cell showed 0x00080000 and
    // keeps showing it, and every cell that never had heat keeps the fill.
    EXPECT_EQ(surface.canvas.heat[14], 0);
    EXPECT_EQ(surface.pixels[14], 0x00080000u);
    EXPECT_EQ(surface.pixels[15], 0x00080000u);
    for (int i : {0, 7, 20, 21, 35})
        EXPECT_EQ(surface.pixels[i], 0x00345678u) << "cell " << i;
    for (int tick = 0; tick < 20; ++tick)
        StepFlameCanvas(surface.canvas, surface.settings);
    EXPECT_EQ(surface.pixels[14], 0x00080000u);
    EXPECT_EQ(surface.pixels[20], 0x00345678u);
}

TEST(CellPass, BonfireModeRestoresTheLogsBeforeEveryPassAndOtherModesDoNot)
{
    // Logs wider than the canvas and one row taller than below the headroom:
    // the paste is clipped to the canvas.
    const int width = 4;
    const int logsRows = 3;
    TestCanvas surface;
    BuildNativeCanvas(&surface, width, FLAME_HEADROOM + logsRows - 1);
    std::vector<uint32_t> logs((width + 1) * logsRows);
    for (size_t i = 0; i < logs.size(); ++i)
        logs[i] = 0x00100000u + static_cast<uint32_t>(i);
    surface.canvas.logsPixels = logs.data();
    surface.canvas.logsWidth = width + 1;
    surface.canvas.logsHeight = logsRows;
    // The cell pass never paints the bottom row: it shows the paste alone.
    const int bottomRow = FLAME_HEADROOM + logsRows - 2;
    for (int mode : {2, static_cast<int>(FIRE_TEXT), static_cast<int>(FIRE_BONFIRE)}) {
        surface.settings.fireMode = mode;
        std::fill(surface.pixels.begin(), surface.pixels.end(), 0x00ABCDEFu);
        StepFlameCanvas(surface.canvas, surface.settings);
        for (int x = 0; x < width; ++x) {
            uint32_t expected = mode == FIRE_BONFIRE ? logs[(logsRows - 2) * (width + 1) + x] : 0x00ABCDEFu;
            EXPECT_EQ(surface.pixels[bottomRow * width + x], expected) << "mode " << mode << " x " << x;
        }
    }
    surface.canvas.logsPixels = nullptr;
}

TEST(FlameBuffers, AreClearedAndNeverMadeFromAnImpossibleSize)
{
    TestCanvas surface;
    surface.canvas = FlameCanvas();
    surface.canvas.width = 7;
    surface.canvas.height = 5;
    ASSERT_TRUE(InitFlameBuffers(surface.canvas));
    for (int i = 0; i < 35; ++i) {
        EXPECT_EQ(surface.canvas.heat[i], 0);
        EXPECT_EQ(surface.canvas.fuel[i], 0);
    }
    FreeFlameBuffers(surface.canvas);

    surface.canvas.width = 0;
    surface.canvas.height = 232;
    EXPECT_TRUE(InitFlameBuffers(surface.canvas));
    EXPECT_EQ(surface.canvas.heat, nullptr);

    const int32_t impossible[][2] = {{-56, 144}, {10, -1}, {65536, 65536}, {INT32_MAX, 2}};
    for (const auto& size : impossible) {
        surface.canvas.width = size[0];
        surface.canvas.height = size[1];
        EXPECT_FALSE(InitFlameBuffers(surface.canvas)) << size[0] << " x " << size[1];
        EXPECT_EQ(surface.canvas.heat, nullptr);
        EXPECT_EQ(surface.canvas.fuel, nullptr);
    }
}

TEST(CellPass, ACanvasWithoutCellsOrBuffersIsNeverStepped)
{
    TestCanvas surface;
    // A negative font size gives a negative width: no buffers, no pass.
    BuildNativeCanvas(&surface, 5, 5);
    FreeFlameBuffers(surface.canvas);
    surface.canvas.width = -56;
    surface.canvas.height = 144;
    FinishCanvasSetUp(surface.canvas);
    SeedNoise(surface.canvas.noise, 0);
    StepFlameCanvas(surface.canvas, surface.settings);
    EXPECT_EQ(surface.canvas.noise.takeIndex, 54);
    EXPECT_EQ(surface.canvas.frameCount, 1u);

    // Buffers lost after the canvas was sized: the pass still keeps away.
    BuildNativeCanvas(&surface, 5, 5);
    free(surface.canvas.fuel);
    surface.canvas.fuel = nullptr;
    SeedNoise(surface.canvas.noise, 0);
    StepFlameCanvas(surface.canvas, surface.settings);
    EXPECT_EQ(surface.canvas.noise.takeIndex, 54);
}
