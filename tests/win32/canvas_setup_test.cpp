// The set-up of the canvas with the Windows program's own hooks (GDI's text,
// DIB sections, the logs loaded as a section) on records the test builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "canvas_surface.h"
#include "canvas_text.h"
#include "host_state.h"
#include "logs_picture.h"
#include "resource_ids.h"
#include "win_test_support.h"

namespace {

const int CLIENT_WIDTH = 1024;
const int CLIENT_HEIGHT = 768;

// The fuel points outside rows top..bottom and columns left..right; every point holds the fuel value.
int FuelOutside(const FlameCanvas& canvas, int top, int bottom, int left, int right)
{
    int outside = 0;
    for (int i = 0; i < canvas.cellCount; ++i) {
        if (!canvas.fuel[i])
            continue;
        EXPECT_EQ(canvas.fuel[i], FUEL_VALUE);
        int x = i % canvas.width;
        int y = i / canvas.width;
        outside += y < top || y > bottom || x < left || x > right;
    }
    return outside;
}

// The logs picture as stored in the program, through the core's decoder: a
// bitmap resource is a bitmap file without the file's header.
LogsPicture StoredLogsPicture()
{
    HRSRC found = FindResourceA(hostState.moduleInstance, MAKEINTRESOURCEA(IDB_LOGS), RT_BITMAP);
    const BYTE* stored = static_cast<const BYTE*>(LockResource(LoadResource(hostState.moduleInstance, found)));
    DWORD size = SizeofResource(hostState.moduleInstance, found);
    const DWORD pixelsAt = sizeof(BITMAPFILEHEADER) + reinterpret_cast<const BITMAPINFOHEADER*>(stored)->biSize;
    BITMAPFILEHEADER header = {0x4D42, static_cast<DWORD>(sizeof header + size), 0, 0, pixelsAt};  // "BM"
    std::vector<BYTE> file(reinterpret_cast<const BYTE*>(&header), reinterpret_cast<const BYTE*>(&header + 1));
    file.insert(file.end(), stored, stored + size);
    LogsPicture picture;
    DecodeBitmap(file.data(), file.size(), &picture);
    return picture;
}

class CanvasSetUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestModuleAsProgram();
        platform.context = &surface;
    }
    void TearDown() override { ReleaseSaverCanvas(canvas, platform); }
    void Build(const char* text, int fontSize, int fireMode = FIRE_TEXT)
    {
        strcpy(settings.text, text);
        settings.fontSize = static_cast<int8_t>(fontSize);
        settings.fireMode = fireMode;
        SetUpSaverCanvas(canvas, settings, monitors, platform, CLIENT_WIDTH, CLIENT_HEIGHT);
    }
    FlameCanvas canvas = {};
    SaverSettings settings = STARTING_SETTINGS;
    MonitorLayout monitors = {};
    CanvasSurface surface = {};
    CanvasPlatform platform = gdiCanvasPlatform;
};

}  // namespace

TEST_F(CanvasSetUp, TheDefaultTextBurnsFromEachCharacterInsideItsBand)
{
    Build(DEFAULT_TEXT, DEFAULT_FONT_SIZE);
    EXPECT_GT(CountFuelPoints(canvas), 200);
    EXPECT_EQ(FuelOutside(canvas, 100, 131, 1, 318), 0);
    // Each of the five double-byte characters, 64 pixels wide, has fuel.
    for (int character = 0; character < 5; ++character)
        EXPECT_GT(CountFuelPoints(canvas) - FuelOutside(canvas, 100, 131, character * 64, character * 64 + 63), 10)
            << "character " << character;
}

// The text shows only once it burns; a set-up after a burning canvas starts the intensity cycle again.
TEST_F(CanvasSetUp, ASetUpLeavesTheSurfaceBlackTheHeatColdAndTheCycleAtItsStart)
{
    const int TICKS_TO_SHRINK = 2 * LEVEL_PERIOD_TICKS + 2;
    settings.flameLimit = 1;
    settings.loop = 1;
    for (int fireMode : {static_cast<int>(FIRE_TEXT), static_cast<int>(FIRE_BONFIRE)}) {
        Build(DEFAULT_TEXT, DEFAULT_FONT_SIZE, fireMode);
        ASSERT_TRUE(CanvasHasCells(canvas)) << "mode " << fireMode;
        EXPECT_EQ(canvas.level, 0) << "mode " << fireMode;
        EXPECT_EQ(canvas.shrinking, 0) << "mode " << fireMode;
        EXPECT_EQ(canvas.coolMask, INITIAL_COOL_MASK) << "mode " << fireMode;
        for (int i = 0; i < canvas.cellCount; ++i) {
            ASSERT_EQ(canvas.pixels[i], 0u) << "mode " << fireMode;
            ASSERT_EQ(canvas.heat[i], 0) << "mode " << fireMode;
        }
        for (int tick = 0; tick < TICKS_TO_SHRINK; ++tick)
            StepFlameCanvas(canvas, settings);
        ASSERT_TRUE(canvas.level && canvas.shrinking) << "the cycle did not move";
    }
}

TEST_F(CanvasSetUp, TinyTextStaysInsideItsBand)
{
    // Found by the settings harness: at size 6 these glyphs reached a row below the band.
    Build("\xC0\x1E\xCF/\xC2\x92\xC9\x87\xD5\xE8\x91\xCD\xF6\xCA\xA1\x06\xDE\xCA"
          "b\x02\xC6\x9D"
          "F\x85\xC4\x08\x98!i",
          6);
    EXPECT_GT(CountFuelPoints(canvas), 0);
    EXPECT_EQ(FuelOutside(canvas, 100, 105, 0, canvas.width - 1), 0);
}

TEST_F(CanvasSetUp, ADoubleByteCharacterIsTwoCellsWide)
{
    Build("A", 32);
    EXPECT_EQ(canvas.width, 32);
    Build("A\x89\xCE", 32);
    EXPECT_EQ(canvas.width, 96);
    EXPECT_GT(FuelOutside(canvas, 0, canvas.height - 1, 0, 40), 0) << "the kanji burns in the second and third cells";
}

// Without cells no surface is made and a tick draws no noise (a stored size byte of 200 reads as -56).
TEST_F(CanvasSetUp, NothingToBurnMakesNoSurfaceAndTicksWithoutFault)
{
    const struct {
        const char* text;
        int size;
        int fireMode;
        bool picture;
        int width;
        int height;
    } cases[] = {{"", 32, FIRE_TEXT, true, 0, 232},
                 {DEFAULT_TEXT, 0, FIRE_TEXT, true, 0, 200},
                 {DEFAULT_TEXT, -56, FIRE_TEXT, true, -560, 144},
                 {DEFAULT_TEXT, 32, 2, true, 0, 0},
                 {DEFAULT_TEXT, 32, FIRE_BONFIRE, false, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "size " << c.size << " mode " << c.fireMode << " picture " << c.picture);
        platform.loadLogs = c.picture ? gdiCanvasPlatform.loadLogs : nullptr;
        Build(c.text, c.size, c.fireMode);
        EXPECT_EQ(canvas.width, c.width);
        EXPECT_EQ(canvas.height, c.height);
        EXPECT_EQ(canvas.cellCount, 0);
        EXPECT_EQ(surface.canvasBitmap, nullptr);
        EXPECT_EQ(canvas.pixels, nullptr);
        EXPECT_EQ(canvas.heat, nullptr);
        EXPECT_EQ(canvas.fuel, nullptr);
        for (int tick = 0; tick < 3; ++tick)
            StepFlameCanvas(canvas, settings);
        EXPECT_EQ(canvas.noise.takeIndex, NOISE_TAKE_START);
    }
}

TEST_F(CanvasSetUp, RedTextDrawnIntoTheSurfaceReadsBackAsPixelFF0000)
{
    Build(DEFAULT_TEXT, DEFAULT_FONT_SIZE);
    DrawCanvasText(0, 100, canvas.width, 32, "\x89\xCE", {255.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, surface.canvasContext);
    GdiFlush();
    int pure = 0;
    for (int i = 0; i < canvas.cellCount; ++i) {
        uint32_t pixel = canvas.pixels[i];
        ASSERT_EQ(pixel & 0xFF00FFFF, 0u) << "only red, never blue or green";
        pure += pixel == EMBER_PIXEL;
    }
    EXPECT_GT(pure, 20);
}

// The suite runs this test on a 24-bit and on a 16-bit display. Loaded as a
// section, the picture keeps its own colours: each tick shows the logs exactly
// as stored below the headroom and only its (255, 0, 0) pixels are fuel. A
// bitmap converted to the display's format would show 16-bit colours and
// could turn near-red wood into embers.
TEST_F(CanvasSetUp, TheLogsKeepTheirColoursAtEveryDisplayDepth)
{
    HDC screen = GetDC(nullptr);
    int displayBits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    printf("display depth: %d bits per pixel\n", displayBits);
    LogsPicture stored = StoredLogsPicture();
    ASSERT_NE(stored.pixels, nullptr);
    Build(DEFAULT_TEXT, DEFAULT_FONT_SIZE, FIRE_BONFIRE);
    ASSERT_EQ(canvas.width, stored.width);
    ASSERT_EQ(canvas.height, stored.height + FLAME_HEADROOM);
    const int width = canvas.width;
    auto storedAt = [&](int cell) {
        int row = cell / width - FLAME_HEADROOM;
        return row < 0 ? 0u : stored.pixels[row * width + cell % width];
    };

    int fuelPoints = 0;
    int falseEmbers = 0;
    for (int cell = 0; cell < canvas.cellCount; ++cell) {
        fuelPoints += canvas.fuel[cell] != 0;
        falseEmbers += canvas.fuel[cell] && storedAt(cell) != EMBER_PIXEL;
    }
    EXPECT_GT(fuelPoints, 100);
    EXPECT_EQ(falseEmbers, 0) << "at " << displayBits << " bits per pixel";

    // After the first tick only burning cells are painted; on every tick the rows far below the embers' flames,
    // overwritten before it, show the logs again.
    const int farRows[] = {canvas.height - 1, canvas.height - 10};
    for (int tick = 0; tick < 3; ++tick) {
        for (int row : farRows)
            std::fill(canvas.pixels + row * width, canvas.pixels + (row + 1) * width, 0x00123456u);
        StepFlameCanvas(canvas, settings);
        int wrongColours = 0;
        for (int cell = 0; cell < canvas.cellCount; ++cell) {
            int row = cell / width;
            if ((tick == 0 && canvas.heat[cell] == 0) || row == farRows[0] || row == farRows[1])
                wrongColours += (canvas.pixels[cell] & 0xFFFFFF) != storedAt(cell);
        }
        EXPECT_EQ(wrongColours, 0) << "tick " << tick << " at " << displayBits << " bits per pixel";
    }
    FreeLogsPicture(&stored);
}
