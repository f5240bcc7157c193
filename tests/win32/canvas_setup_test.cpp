#include <gtest/gtest.h>

#include <cstring>

#include "canvas_surface.h"
#include "canvas_text.h"
#include "effect_window.h"
#include "host_state.h"
#include "resource_ids.h"
#include "settings_profile.h"
#include "win_test_support.h"

namespace {

const int LOGS_WIDTH = 286;
const int LOGS_HEIGHT = 106;
struct FuelExtent {
    int count;
    int top;
    int bottom;
    int left;
    int right;
};

FuelExtent MeasureFuel()
{
    FuelExtent extent = {0, INT32_MAX, -1, INT32_MAX, -1};
    for (int i = 0; i < flameCanvas.cellCount; ++i) {
        if (!flameCanvas.fuel[i])
            continue;
        EXPECT_EQ(flameCanvas.fuel[i], FUEL_VALUE);
        int x = i % flameCanvas.width;
        int y = i / flameCanvas.width;
        ++extent.count;
        extent.top = std::min(extent.top, y);
        extent.bottom = std::max(extent.bottom, y);
        extent.left = std::min(extent.left, x);
        extent.right = std::max(extent.right, x);
    }
    return extent;
}

class CanvasSetUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestModuleAsProgram();
        RemoveSettingsFile();
        LoadSaverSettings();
        window = CreatePaintCountingWindow(1024, 768);
        flameCanvas.clientWidth = 1024;
        flameCanvas.clientHeight = 768;
    }
    void TearDown() override
    {
        ReleaseLogsPicture(canvasSurface);
        ReleaseCanvasSurface(canvasSurface);
        FreeFlameBuffers(flameCanvas);
        DestroyWindow(window);
        RemoveSettingsFile();
    }
    void BuildText(const char* text, int fontSize)
    {
        strcpy(saverSettings.text, text);
        saverSettings.fontSize = static_cast<int8_t>(fontSize);
        SetUpEffectCanvas(window, flameCanvas.clientWidth, flameCanvas.clientHeight);
    }
    void BuildBonfire(int fireMode, bool loadPicture)
    {
        saverSettings.fireMode = fireMode;
        CanvasPlatform platform = gdiCanvasPlatform;
        if (!loadPicture)
            platform.loadLogs = nullptr;
        canvasSurface.window = window;
        SetUpSaverCanvas(flameCanvas, saverSettings, monitorLayout, platform, flameCanvas.clientWidth, flameCanvas.clientHeight);
    }
    HWND window;
};

}  // namespace

TEST_F(CanvasSetUp, DefaultTextBurnsFromTheTextBandOfACentredCanvas)
{
    BuildText(DEFAULT_TEXT, 32);
    EXPECT_EQ(flameCanvas.width, 320);
    EXPECT_EQ(flameCanvas.height, 232);
    EXPECT_EQ(flameCanvas.cellCount, 74240);
    EXPECT_EQ(flameCanvas.rowStride, 320);
    EXPECT_EQ(flameCanvas.originX, 352);
    EXPECT_EQ(flameCanvas.originY, 268);
    EXPECT_EQ(flameCanvas.level, 0);
    EXPECT_EQ(flameCanvas.shrinking, 0);
    EXPECT_EQ(flameCanvas.coolMask, 8191);
    EXPECT_EQ(flameCanvas.noise.takeIndex, 54);

    FuelExtent fuel = MeasureFuel();
    EXPECT_GT(fuel.count, 200);
    EXPECT_GE(fuel.top, 100);
    EXPECT_LE(fuel.bottom, 131);
    EXPECT_GE(fuel.left, 1);
    EXPECT_LE(fuel.right, 318);
    // Each of the five double-byte characters, 64 pixels wide, has fuel.
    for (int character = 0; character < 5; ++character) {
        int inCell = 0;
        for (int y = 100; y < 132; ++y)
            for (int x = character * 64; x < character * 64 + 64; ++x)
                inCell += flameCanvas.fuel[y * 320 + x] != 0;
        EXPECT_GT(inCell, 10) << "character " << character;
    }
    // The set-up leaves the surface black and the heat cold: the text shows
    // only once it burns.
    for (int i = 0; i < flameCanvas.cellCount; ++i) {
        ASSERT_EQ(flameCanvas.pixels[i], 0u);
        ASSERT_EQ(flameCanvas.heat[i], 0);
    }
}

TEST_F(CanvasSetUp, TinyTextStaysInsideItsBand)
{
    // Found by the settings harness: at size 6 these glyphs reached a row below the band.
    BuildText("\xC0\x1E\xCF/\xC2\x92\xC9\x87\xD5\xE8\x91\xCD\xF6\xCA\xA1\x06\xDE\xCA" "b\x02\xC6\x9D" "F\x85\xC4\x08\x98!i",
              6);
    FuelExtent fuel = MeasureFuel();
    EXPECT_GT(fuel.count, 0);
    EXPECT_GE(fuel.top, 100);
    EXPECT_LE(fuel.bottom, 105);
}

TEST_F(CanvasSetUp, OriginDividesTowardZeroInASmallPreview)
{
    flameCanvas.clientWidth = 152;
    flameCanvas.clientHeight = 112;
    BuildText(DEFAULT_TEXT, 32);
    EXPECT_EQ(flameCanvas.originX, -84);
    EXPECT_EQ(flameCanvas.originY, -60);
    ReleaseCanvasSurface(canvasSurface);
    FreeFlameBuffers(flameCanvas);
    flameCanvas.clientWidth = 151;
    BuildText(DEFAULT_TEXT, 32);
    EXPECT_EQ(flameCanvas.originX, -84);
}

TEST_F(CanvasSetUp, ADoubleByteCharacterIsTwoCellsWide)
{
    BuildText("A", 32);
    EXPECT_EQ(flameCanvas.width, 32);
    ReleaseCanvasSurface(canvasSurface);
    FreeFlameBuffers(flameCanvas);
    BuildText("A\x89\xCE", 32);
    EXPECT_EQ(flameCanvas.width, 96);
    EXPECT_EQ(flameCanvas.height, 232);
    FuelExtent fuel = MeasureFuel();
    EXPECT_GT(fuel.right, 40) << "the kanji burns in the second and third cells";
}

TEST_F(CanvasSetUp, EmptyTextAndZeroSizeGiveNoFuel)
{
    const struct {
        const char* text;
        int size;
        int width;
        int height;
    } cases[] = {{"", 32, 0, 232}, {DEFAULT_TEXT, 0, 0, 200}};
    for (const auto& c : cases) {
        BuildText(c.text, c.size);
        EXPECT_EQ(flameCanvas.width, c.width);
        EXPECT_EQ(flameCanvas.height, c.height);
        EXPECT_EQ(flameCanvas.cellCount, 0);
        EXPECT_EQ(flameCanvas.fuel, nullptr);
        EXPECT_EQ(flameCanvas.coolMask, 8191);
        EXPECT_EQ(flameCanvas.level, 0);
        EXPECT_EQ(flameCanvas.originX, 512 - c.width / 2);
        StepFlames(window);
        EXPECT_EQ(flameCanvas.noise.takeIndex, 54);
        ReleaseCanvasSurface(canvasSurface);
        FreeFlameBuffers(flameCanvas);
    }
}

TEST_F(CanvasSetUp, AStoredSizeByteOf200IsMinus56AndBuildsNothing)
{
    WriteSetting("FONT", "SIZE", "200");
    LoadSaverSettings();
    SetUpEffectCanvas(window, 1024, 768);
    EXPECT_EQ(flameCanvas.width, -560);
    EXPECT_EQ(flameCanvas.height, 144);
    EXPECT_EQ(canvasSurface.canvasBitmap, nullptr);
    EXPECT_EQ(flameCanvas.pixels, nullptr);
    EXPECT_EQ(flameCanvas.heat, nullptr);
    EXPECT_EQ(flameCanvas.fuel, nullptr);
    for (int tick = 0; tick < 3; ++tick)
        StepFlames(window);
    EXPECT_EQ(flameCanvas.noise.takeIndex, 54);
}

TEST_F(CanvasSetUp, RedTextDrawnIntoTheSurfaceReadsBackAsPixelFF0000)
{
    BuildText(DEFAULT_TEXT, 32);
    DrawCanvasText(0, 100, 320, 32, "\x89\xCE", {255.0, 0.0, 0.0}, {0.0, 0.0, 0.0}, canvasSurface.canvasContext);
    GdiFlush();
    int pure = 0;
    for (int i = 0; i < flameCanvas.cellCount; ++i) {
        uint32_t pixel = flameCanvas.pixels[i];
        ASSERT_EQ(pixel & 0xFF00FFFF, 0u) << "only red, never blue or green";
        pure += pixel == EMBER_PIXEL;
    }
    EXPECT_GT(pure, 20);
}

TEST_F(CanvasSetUp, StepFlamesPaintsTheWindowBeforeItReturns)
{
    BuildText(DEFAULT_TEXT, 32);
    paintsReceived = 0;
    uint32_t frames = flameCanvas.frameCount;
    StepFlames(window);
    EXPECT_EQ(paintsReceived, 1);
    StepFlames(window);
    EXPECT_EQ(paintsReceived, 2);
    EXPECT_EQ(flameCanvas.frameCount, frames + 2);
}

TEST_F(CanvasSetUp, BonfireBurnsFromTheEmbersAboveTheLogs)
{
    BuildBonfire(FIRE_BONFIRE, true);
    EXPECT_EQ(flameCanvas.width, LOGS_WIDTH);
    EXPECT_EQ(flameCanvas.height, LOGS_HEIGHT + 200);
    EXPECT_EQ(flameCanvas.cellCount, 87516);
    EXPECT_EQ(flameCanvas.originX, 369);
    EXPECT_EQ(flameCanvas.originY, 231);
    EXPECT_EQ(flameCanvas.coolMask, 8191);
    FuelExtent fuel = MeasureFuel();
    EXPECT_GT(fuel.count, 100);
    EXPECT_GE(fuel.top, 200 + 9);
    EXPECT_LE(fuel.bottom, 200 + 57);
    EXPECT_GE(fuel.left, 62);
    EXPECT_LE(fuel.right, 247);
    // Until the first tick the canvas is black.
    for (int i = 0; i < flameCanvas.cellCount; ++i)
        ASSERT_EQ(flameCanvas.pixels[i], 0u);

    ReleaseCanvasSurface(canvasSurface);
    FreeFlameBuffers(flameCanvas);
    SetUpEffectCanvas(window, 152, 112);
    EXPECT_EQ(flameCanvas.originX, -67);
    EXPECT_EQ(flameCanvas.originY, -97);
}

TEST_F(CanvasSetUp, TheLogsAreCopiedBackAtRow200OnEveryTickInBonfireModeOnly)
{
    BuildBonfire(FIRE_BONFIRE, true);
    int width;
    int height;
    std::vector<uint32_t> picture = ReadBitmapPixels(canvasSurface.logsPicture, &width, &height);
    ASSERT_EQ(width, LOGS_WIDTH);
    ASSERT_EQ(height, LOGS_HEIGHT);
    const int lastRow = LOGS_HEIGHT - 1;  // never painted by the cell pass
    const int lowRow = LOGS_HEIGHT - 10;  // far below the embers' flames

    for (int tick = 0; tick < 3; ++tick) {
        for (int x = 0; x < LOGS_WIDTH; ++x)
            flameCanvas.pixels[(200 + lowRow) * LOGS_WIDTH + x] = 0x00123456;
        StepFlames(window);
        for (int row : {lastRow, lowRow})
            for (int x = 0; x < LOGS_WIDTH; ++x)
                ASSERT_EQ(flameCanvas.pixels[(200 + row) * LOGS_WIDTH + x] & 0xFFFFFF, picture[row * LOGS_WIDTH + x])
                    << "tick " << tick << " row " << row << " column " << x;
    }
    for (int i = 0; i < 199 * LOGS_WIDTH; ++i)
        ASSERT_NE(flameCanvas.pixels[i] & 0x0000FFFF, 0x3456u) << "nothing is copied above row 200";

    saverSettings.fireMode = 2;
    for (int x = 0; x < LOGS_WIDTH; ++x)
        flameCanvas.pixels[(200 + lowRow) * LOGS_WIDTH + x] = 0x00123456;
    StepFlames(window);
    for (int x = 0; x < LOGS_WIDTH; ++x)
        ASSERT_EQ(flameCanvas.pixels[(200 + lowRow) * LOGS_WIDTH + x], 0x00123456u);
}

TEST_F(CanvasSetUp, ABonfireWithoutAPictureRunsBlackWithoutFault)
{
    for (int fireMode : {2, static_cast<int>(FIRE_BONFIRE)}) {
        BuildBonfire(fireMode, false);
        EXPECT_EQ(flameCanvas.width, 0);
        EXPECT_EQ(flameCanvas.height, 0);
        EXPECT_EQ(flameCanvas.cellCount, 0);
        EXPECT_EQ(canvasSurface.canvasBitmap, nullptr);
        paintsReceived = 0;
        for (int tick = 0; tick < 5; ++tick)
            StepFlames(window);
        EXPECT_EQ(paintsReceived, 5);
        ReleaseCanvasSurface(canvasSurface);
        FreeFlameBuffers(flameCanvas);
    }
}

// The picture as stored in the program: top-down 0x00RRGGBB words.
std::vector<uint32_t> StoredLogsPicture(int* width, int* height)
{
    HRSRC found =
        FindResourceA(hostState.moduleInstance, MAKEINTRESOURCEA(IDB_LOGS), MAKEINTRESOURCEA(2));  // RT_BITMAP
    const BITMAPINFOHEADER* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(hostState.moduleInstance, found)));
    *width = header->biWidth;
    *height = header->biHeight;
    const BYTE* rows = reinterpret_cast<const BYTE*>(header) + header->biSize;
    const int rowBytes = (*width * 3 + 3) & ~3;
    std::vector<uint32_t> picture(static_cast<size_t>(*width) * *height);
    for (int y = 0; y < *height; ++y) {
        const BYTE* row = rows + static_cast<size_t>(*height - 1 - y) * rowBytes;
        for (int x = 0; x < *width; ++x)
            picture[static_cast<size_t>(y) * *width + x] = row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x];
    }
    return picture;
}

// The suite runs this test on a 24-bit and on a 16-bit display. Loaded as a
// section, the picture keeps its own colours: each tick shows the logs exactly
// as stored and only its (255, 0, 0) pixels become fuel. A bitmap converted to
// the display's format would show 16-bit colours and could turn near-red wood
// into embers.
TEST_F(CanvasSetUp, TheLogsKeepTheirColoursAtEveryDisplayDepth)
{
    HDC screen = GetDC(nullptr);
    int displayBits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    printf("display depth: %d bits per pixel\n", displayBits);
    int width;
    int height;
    std::vector<uint32_t> stored = StoredLogsPicture(&width, &height);
    WriteSetting("WHITCH", "FIRE", "1");
    HWND effect = CreateEffectPopup(1024, 768);
    ASSERT_NE(effect, nullptr);
    ASSERT_EQ(flameCanvas.width, width);
    ASSERT_EQ(flameCanvas.height, height + FLAME_HEADROOM);
    SendMessageA(effect, WM_TIMER, EFFECT_TIMER_ID, 0);

    int fuelPoints = 0;
    int wrongColours = 0;
    int falseEmbers = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            size_t cell = static_cast<size_t>(y + FLAME_HEADROOM) * width + x;
            uint32_t storedPixel = stored[static_cast<size_t>(y) * width + x];
            if (flameCanvas.fuel[cell]) {
                ++fuelPoints;
                falseEmbers += storedPixel != EMBER_PIXEL;
            }
            // Only burning cells are painted over the logs after one tick.
            if (flameCanvas.heat[cell] == 0)
                wrongColours += (flameCanvas.pixels[cell] & 0xFFFFFF) != storedPixel;
        }
    }
    EXPECT_GT(fuelPoints, 100);
    EXPECT_EQ(falseEmbers, 0) << "at " << displayBits << " bits per pixel";
    EXPECT_EQ(wrongColours, 0) << "at " << displayBits << " bits per pixel";
    DestroyWindow(effect);
}
