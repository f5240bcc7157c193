#include <gtest/gtest.h>

#include "canvas_fixture.h"

TEST(CellPass, FiveByFiveExampleAfterOneAndThreeTicks)
{
    NativeCanvas surface;
    BuildNativeCanvas(&surface, 5, 5);
    flameCanvas.fuel[12] = FUEL_VALUE;
    SeedNoise(0);

    StepFlameCanvas();
    for (int i = 0; i < 25; ++i) {
        int expectedHeat = i == 8 ? 20 : i == 12 ? 9 : 0;
        EXPECT_EQ(flameCanvas.heat[i], expectedHeat) << "cell " << i;
        EXPECT_EQ(surface.pixels[i], i == 12 ? 0x00FFFFFFu : 0u) << "cell " << i;
    }
    EXPECT_EQ(flameCanvas.noise.takeIndex, 28);  // 26 draws
    EXPECT_EQ(flameCanvas.noise.lagIndex, 4);
    EXPECT_EQ(flameCanvas.frameCount, 1u);

    StepFlameCanvas();
    StepFlameCanvas();
    EXPECT_EQ(surface.pixels[6], 0x00080000u);
    EXPECT_EQ(surface.pixels[7], 0x00080000u);
    EXPECT_EQ(surface.pixels[8], 0x005A0000u);
    EXPECT_EQ(surface.pixels[12], 0x00BD0000u);
    // The top and bottom rows are never painted.
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(surface.pixels[x], 0u);
        EXPECT_EQ(surface.pixels[20 + x], 0u);
    }
    EXPECT_EQ(flameCanvas.frameCount, 3u);
}

// Row ends are not special: the last cell of a row is the left neighbour of the first of the next, so its heat
// rises into the first cell of its own row (the 5 x 5 example never reaches a row end).
TEST(CellPass, TheLastCellOfARowWarmsTheFirstOfItsRowThroughTheNext)
{
    NativeCanvas surface;
    BuildNativeCanvas(&surface, 5, 4);
    flameCanvas.coolMask = 0;
    SeedNoise(0);
    flameCanvas.heat[9] = 100;
    RunCellPass();
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(flameCanvas.heat[i], i == 3 || i == 4 || i == 5 ? 19 : i == 9 ? 100 : 0) << "cell " << i;
}

TEST(CellPass, FullLevelCoolingLosesExactlyOneStep)
{
    NativeCanvas surface;
    for (int h = 1; h <= 127; ++h) {
        BuildNativeCanvas(&surface, 3, 3);
        flameCanvas.coolMask = 0;
        SeedNoise(static_cast<uint32_t>(h));
        for (int i : {1, 3, 4, 5, 7})
            flameCanvas.heat[i] = static_cast<uint8_t>(h);
        RunCellPass();
        ASSERT_EQ(flameCanvas.heat[1], h - 1) << "heat " << h;
    }
}

TEST(CellPass, FuelLightsExactlyWhenTheDrawsLowSevenBitsAreBelowSeventy)
{
    NativeCanvas surface;
    for (uint32_t draw = 0; draw < 512; ++draw) {
        for (int fuel : {0, FUEL_VALUE}) {
            BuildNativeCanvas(&surface, 3, 3);
            flameCanvas.fuel[4] = static_cast<uint8_t>(fuel);
            // The only cell of a 3 x 3 pass takes the cooling draw from slot
            // 54 and the ignition draw from slot 53.
            flameCanvas.noise.takeIndex = 54;
            flameCanvas.noise.lagIndex = 30;
            flameCanvas.noise.words[54] = 0;
            flameCanvas.noise.words[53] = draw | 0xABCD0000u;
            RunCellPass();
            bool lit = fuel == FUEL_VALUE && (draw & 0x7F) <= 69;
            ASSERT_EQ(flameCanvas.heat[4], lit ? 127 : 0) << "draw " << draw << " fuel " << fuel;
            ASSERT_EQ(surface.pixels[4], lit ? 0x00FFFFFFu : 0u);
        }
    }
}

TEST(CellPass, TwoRowCanvasTakesNoDrawsButTheCycleAndFrameCountGoOn)
{
    NativeCanvas surface;
    BuildNativeCanvas(&surface, 5, 2);
    SeedNoise(0);
    for (int i = 0; i < 10; ++i) {
        flameCanvas.fuel[i] = FUEL_VALUE;
        surface.pixels[i] = 0x00123456;
    }
    for (int tick = 0; tick < 31; ++tick)
        StepFlameCanvas();
    EXPECT_EQ(flameCanvas.noise.takeIndex, 54);
    EXPECT_EQ(flameCanvas.noise.lagIndex, 30);
    EXPECT_EQ(flameCanvas.frameCount, 31u);
    EXPECT_EQ(flameCanvas.level, 1);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(flameCanvas.heat[i], 0);
        EXPECT_EQ(surface.pixels[i], 0x00123456u);
    }
}

TEST(CellPass, CellsWhoseHeatFallsToZeroKeepTheirPixel)
{
    NativeCanvas surface;
    BuildNativeCanvas(&surface, 6, 6);
    SeedNoise(7);
    for (uint32_t& pixel : surface.pixels)
        pixel = 0x00345678;  // what a background fill or the logs left there
    flameCanvas.heat[14] = 1;
    flameCanvas.heat[15] = 1;
    StepFlameCanvas();
    // The lone heat of 1 is averaged away; its cell showed 0x00080000 and
    // keeps showing it, and every cell that never had heat keeps the fill.
    EXPECT_EQ(flameCanvas.heat[14], 0);
    EXPECT_EQ(surface.pixels[14], 0x00080000u);
    EXPECT_EQ(surface.pixels[15], 0x00080000u);
    for (int i : {0, 7, 20, 21, 35})
        EXPECT_EQ(surface.pixels[i], 0x00345678u) << "cell " << i;
    for (int tick = 0; tick < 20; ++tick)
        StepFlameCanvas();
    EXPECT_EQ(surface.pixels[14], 0x00080000u);
    EXPECT_EQ(surface.pixels[20], 0x00345678u);
}

TEST(CellPass, BonfireModeRestoresTheLogsBeforeEveryPassAndOtherModesDoNot)
{
    // Logs wider than the canvas and one row taller than below the headroom:
    // the paste is clipped to the canvas.
    const int width = 4;
    const int logsRows = 3;
    NativeCanvas surface;
    BuildNativeCanvas(&surface, width, FLAME_HEADROOM + logsRows - 1);
    std::vector<uint32_t> logs((width + 1) * logsRows);
    for (size_t i = 0; i < logs.size(); ++i)
        logs[i] = 0x00100000u + static_cast<uint32_t>(i);
    flameCanvas.logsPixels = logs.data();
    flameCanvas.logsWidth = width + 1;
    flameCanvas.logsHeight = logsRows;
    // The cell pass never paints the bottom row: it shows the paste alone.
    const int bottomRow = FLAME_HEADROOM + logsRows - 2;
    for (int mode : {2, static_cast<int>(FIRE_TEXT), static_cast<int>(FIRE_BONFIRE)}) {
        saverSettings.fireMode = mode;
        std::fill(surface.pixels.begin(), surface.pixels.end(), 0x00ABCDEFu);
        StepFlameCanvas();
        for (int x = 0; x < width; ++x) {
            uint32_t expected = mode == FIRE_BONFIRE ? logs[(logsRows - 2) * (width + 1) + x] : 0x00ABCDEFu;
            EXPECT_EQ(surface.pixels[bottomRow * width + x], expected) << "mode " << mode << " x " << x;
        }
    }
    flameCanvas.logsPixels = nullptr;
}

TEST(FlameBuffers, AreClearedAndNeverMadeFromAnImpossibleSize)
{
    flameCanvas = FlameCanvas();
    flameCanvas.width = 7;
    flameCanvas.height = 5;
    ASSERT_TRUE(InitFlameBuffers());
    for (int i = 0; i < 35; ++i) {
        EXPECT_EQ(flameCanvas.heat[i], 0);
        EXPECT_EQ(flameCanvas.fuel[i], 0);
    }
    FreeFlameBuffers();

    flameCanvas.width = 0;
    flameCanvas.height = 232;
    EXPECT_TRUE(InitFlameBuffers());
    EXPECT_EQ(flameCanvas.heat, nullptr);

    const int32_t impossible[][2] = {{-56, 144}, {10, -1}, {65536, 65536}, {INT32_MAX, 2}};
    for (const auto& size : impossible) {
        flameCanvas.width = size[0];
        flameCanvas.height = size[1];
        EXPECT_FALSE(InitFlameBuffers()) << size[0] << " x " << size[1];
        EXPECT_EQ(flameCanvas.heat, nullptr);
        EXPECT_EQ(flameCanvas.fuel, nullptr);
    }
}

TEST(CellPass, ACanvasWithoutCellsOrBuffersIsNeverStepped)
{
    NativeCanvas surface;
    // A negative font size gives a negative width: no buffers, no pass.
    BuildNativeCanvas(&surface, 5, 5);
    FreeFlameBuffers();
    flameCanvas.width = -56;
    flameCanvas.height = 144;
    EXPECT_FALSE(InitFlameBuffers());
    FinishCanvasSetUp();
    SeedNoise(0);
    StepFlameCanvas();
    EXPECT_EQ(flameCanvas.noise.takeIndex, 54);
    EXPECT_EQ(flameCanvas.frameCount, 1u);

    // Buffers lost after the canvas was sized: the pass still keeps away.
    BuildNativeCanvas(&surface, 5, 5);
    free(flameCanvas.fuel);
    flameCanvas.fuel = nullptr;
    SeedNoise(0);
    StepFlameCanvas();
    EXPECT_EQ(flameCanvas.noise.takeIndex, 54);
}
