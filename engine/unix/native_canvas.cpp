#include "native_canvas.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "flame_canvas.h"
#include "logs_picture.h"
#include "saver_settings.h"
#include "text_raster.h"

namespace {

const ColourTriple BLACK = {0.0, 0.0, 0.0};
const ColourTriple PURE_RED = {255.0, 0.0, 0.0};
const uint32_t TEXT_PIXEL = 0x00FF0000;
const int NANOSECONDS_PER_MILLISECOND = 1000000;

LogsPicture logsPicture;

uint32_t* AllocatePixels()
{
    const FlameCanvas& canvas = flameCanvas;
    if (canvas.width <= 0 || canvas.height <= 0)
        return nullptr;
    return static_cast<uint32_t*>(calloc(static_cast<size_t>(canvas.width) * canvas.height, sizeof(uint32_t)));
}

void RenderTextFuel(const char* text, int32_t fontSize)
{
    FlameCanvas& canvas = flameCanvas;
    TextTarget scratch = {AllocatePixels(), canvas.width, canvas.height};
    if (scratch.pixels) {
        int32_t textY = (canvas.height - fontSize) / 2;
        DrawShiftJisText(scratch, 0, textY, canvas.width, fontSize, text, TEXT_PIXEL);
        ScanFuelPoints(scratch.pixels, FUEL_TEST_LIT);
    }
    free(scratch.pixels);
}

void ScanEmbers()
{
    FlameCanvas& canvas = flameCanvas;
    uint32_t* scratch = AllocatePixels();
    if (!scratch)
        return;
    for (int32_t y = 0; y < canvas.logsHeight && FLAME_HEADROOM + y < canvas.height; ++y)
        memcpy(scratch + static_cast<size_t>(FLAME_HEADROOM + y) * canvas.width,
               canvas.logsPixels + static_cast<size_t>(y) * canvas.logsWidth,
               static_cast<size_t>(canvas.logsWidth < canvas.width ? canvas.logsWidth : canvas.width) * sizeof(uint32_t));
    ScanFuelPoints(scratch, FUEL_TEST_EMBER);
    free(scratch);
}

void SetUpText()
{
    FlameCanvas& canvas = flameCanvas;
    canvas.textColour = PURE_RED;
    int32_t fontSize = saverSettings.fontSize;
    char text[SETTINGS_TEXT_BYTES];
    memcpy(text, saverSettings.text, sizeof text);
    text[sizeof text - 1] = '\0';
    SizeTextCanvas(static_cast<int32_t>(strlen(text)), fontSize);
    canvas.pixels = AllocatePixels();
    bool buffersReady = InitFlameBuffers();
    SeedNoise(NoiseSeedFromClock());
    FinishCanvasSetUp();
    // A negative font size or a failed allocation leaves nothing to burn.
    if (text[0] != '\0' && buffersReady && canvas.pixels)
        RenderTextFuel(text, fontSize);
}

void SetUpBonfire()
{
    FlameCanvas& canvas = flameCanvas;
    // Only the mode 1 loads the picture; other modes burn an empty canvas.
    bool havePicture = saverSettings.fireMode == FIRE_BONFIRE && LoadBuiltInLogsPicture(&logsPicture);
    canvas.logsPixels = logsPicture.pixels;
    canvas.logsWidth = logsPicture.width;
    canvas.logsHeight = logsPicture.height;
    SizeBonfireCanvas(havePicture, logsPicture.width, logsPicture.height);
    canvas.pixels = AllocatePixels();
    bool buffersReady = InitFlameBuffers();
    SeedNoise(NoiseSeedFromClock());
    FinishCanvasSetUp();
    if (havePicture && buffersReady && canvas.pixels)
        ScanEmbers();
}

}  // namespace

void SetUpNativeCanvas(int32_t clientWidth, int32_t clientHeight)
{
    FlameCanvas& canvas = flameCanvas;
    ReleaseNativeCanvas();
    ResetCanvasForSetUp();
    canvas.backgroundColour = BLACK;
    canvas.clientWidth = clientWidth;
    canvas.clientHeight = clientHeight;
    if (saverSettings.fireMode == FIRE_TEXT)
        SetUpText();
    else
        SetUpBonfire();
    canvas.coolMask = CoolMaskForLevel(canvas.level);
    PlaceCanvasAtStart(clientWidth, clientHeight);
}

void ReleaseNativeCanvas()
{
    FlameCanvas& canvas = flameCanvas;
    free(canvas.pixels);
    canvas.pixels = nullptr;
    FreeLogsPicture(&logsPicture);
    canvas.logsPixels = nullptr;
    canvas.logsWidth = 0;
    canvas.logsHeight = 0;
    FreeFlameBuffers();
}

// The same seed as the Windows set-up: minutes, seconds and milliseconds of
// the UTC clock, added.
uint32_t NoiseSeedFromClock()
{
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts = {};
    gmtime_r(&now.tv_sec, &parts);
    return static_cast<uint32_t>(parts.tm_min + parts.tm_sec + now.tv_nsec / NANOSECONDS_PER_MILLISECOND);
}
