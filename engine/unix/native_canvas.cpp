#include "native_canvas.h"

#include <unistd.h>

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
const uint64_t NANOSECONDS_PER_SECOND = 1000000000;
const int PROCESS_ID_SHIFT = 32;
// The finishing steps of the SplitMix64 generator: nearby inputs give unrelated outputs.
const uint64_t MIX_FIRST_MULTIPLIER = 0xBF58476D1CE4E5B9u;
const uint64_t MIX_SECOND_MULTIPLIER = 0x94D049BB133111EBu;
const int MIX_SHIFTS[] = {30, 27, 31};

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

bool CanvasHasFuel()
{
    const FlameCanvas& canvas = flameCanvas;
    for (int32_t i = 0; canvas.fuel && i < canvas.cellCount; ++i)
        if (canvas.fuel[i])
            return true;
    return false;
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

unsigned SetUpBurningCanvas(int32_t clientWidth, int32_t clientHeight)
{
    SaverSettings& settings = saverSettings;
    unsigned mends = 0;
    if (settings.fireMode != FIRE_TEXT && settings.fireMode != FIRE_BONFIRE) {
        settings.fireMode = FIRE_TEXT;
        mends |= MENDED_FIRE_MODE;
    }
    if (settings.fireMode == FIRE_TEXT && settings.fontSize <= 0) {
        settings.fontSize = DEFAULT_FONT_SIZE;
        mends |= MENDED_FONT_SIZE;
    }
    SetUpNativeCanvas(clientWidth, clientHeight);
    if (settings.fireMode == FIRE_TEXT && !CanvasHasFuel() && strcmp(settings.text, DEFAULT_TEXT) != 0) {
        memset(settings.text, 0, sizeof settings.text);
        memcpy(settings.text, DEFAULT_TEXT, sizeof DEFAULT_TEXT);
        mends |= MENDED_TEXT;
        SetUpNativeCanvas(clientWidth, clientHeight);
    }
    return mends;
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

uint32_t JumpSeedFromClockAndProcess()
{
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    uint64_t mixed = (static_cast<uint64_t>(now.tv_sec) * NANOSECONDS_PER_SECOND + static_cast<uint64_t>(now.tv_nsec)) ^
                     static_cast<uint64_t>(getpid()) << PROCESS_ID_SHIFT;
    mixed = (mixed ^ mixed >> MIX_SHIFTS[0]) * MIX_FIRST_MULTIPLIER;
    mixed = (mixed ^ mixed >> MIX_SHIFTS[1]) * MIX_SECOND_MULTIPLIER;
    return static_cast<uint32_t>(mixed ^ mixed >> MIX_SHIFTS[2]);
}
