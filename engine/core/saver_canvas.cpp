#include "saver_canvas.h"

#include <cstdlib>
#include <cstring>

#include "saver_settings.h"

namespace {

const ColourTriple BLACK = {0.0, 0.0, 0.0};
const ColourTriple PURE_RED = {255.0, 0.0, 0.0};

uint32_t* plainSurface;

uint32_t* AllocateCanvasPicture()
{
    const FlameCanvas& canvas = flameCanvas;
    if (canvas.width <= 0 || canvas.height <= 0)
        return nullptr;
    return static_cast<uint32_t*>(calloc(static_cast<size_t>(canvas.width) * canvas.height, sizeof(uint32_t)));
}

void ScanTextFuel(const CanvasPlatform& platform, const char* text, int32_t fontSize)
{
    uint32_t* scratch = platform.drawText ? AllocateCanvasPicture() : nullptr;
    if (!scratch)
        return;
    platform.drawText(scratch, (flameCanvas.height - fontSize) / 2, fontSize, text);
    ScanFuelPoints(scratch, FUEL_TEST_LIT);
    free(scratch);
}

// The embers are the logs' pixels of the one ember colour, the picture
// standing below the headroom.
void ScanEmberFuel()
{
    uint32_t* scratch = AllocateCanvasPicture();
    if (!scratch)
        return;
    PasteLogsInto(scratch);
    ScanFuelPoints(scratch, FUEL_TEST_EMBER);
    free(scratch);
}

bool PrepareCanvasCells(const CanvasPlatform& platform)
{
    FlameCanvas& canvas = flameCanvas;
    canvas.pixels = platform.makeSurface(canvas.width, canvas.height);
    bool buffersReady = InitFlameBuffers();
    SeedNoise(platform.clockSeed ? platform.clockSeed() : 0);
    FinishCanvasSetUp();
    canvas.coolMask = CoolMaskForLevel(canvas.level);
    return buffersReady && canvas.pixels;
}

void StartSetUp(const CanvasPlatform& platform)
{
    ReleaseSaverCanvas(platform);
    ResetCanvasForSetUp();
    flameCanvas.backgroundColour = BLACK;
    flameCanvas.textColour = PURE_RED;
}

}  // namespace

void SetUpSaverCanvas(const CanvasPlatform& platform, int32_t clientWidth, int32_t clientHeight)
{
    SetUpSaverCanvasAtSize(platform, clientWidth, clientHeight, saverSettings.fontSize);
}

void SetUpSaverCanvasAtSize(const CanvasPlatform& platform, int32_t clientWidth, int32_t clientHeight,
                            int32_t cellSize)
{
    FlameCanvas& canvas = flameCanvas;
    const SaverSettings& settings = saverSettings;
    StartSetUp(platform);
    canvas.clientWidth = clientWidth;
    canvas.clientHeight = clientHeight;
    char text[SETTINGS_TEXT_BYTES] = {};
    bool burnText = settings.fireMode == FIRE_TEXT;
    bool havePicture = false;
    if (burnText) {
        memcpy(text, settings.text, sizeof text - 1);
        SizeTextCanvas(static_cast<int32_t>(strlen(text)), cellSize);
    } else {
        // Only the mode 1 loads the picture; other modes burn an empty canvas.
        havePicture = settings.fireMode == FIRE_BONFIRE && platform.loadLogs &&
                      platform.loadLogs(&canvas.logsPixels, &canvas.logsWidth, &canvas.logsHeight);
        SizeBonfireCanvas(havePicture, canvas.logsWidth, canvas.logsHeight);
    }
    // A negative font size or a failed allocation leaves nothing to burn.
    if (PrepareCanvasCells(platform)) {
        if (burnText && text[0] != '\0')
            ScanTextFuel(platform, text, cellSize);
        else if (havePicture)
            ScanEmberFuel();
    }
    PlaceCanvasAtStart(clientWidth, clientHeight);
}

bool BuildCanvasOfSize(const CanvasPlatform& platform, int32_t width, int32_t height)
{
    StartSetUp(platform);
    flameCanvas.width = width;
    flameCanvas.height = height;
    return PrepareCanvasCells(platform);
}

void ReleaseSaverCanvas(const CanvasPlatform& platform)
{
    FlameCanvas& canvas = flameCanvas;
    if (platform.releaseSurface)
        platform.releaseSurface();
    canvas.pixels = nullptr;
    if (platform.releaseLogs)
        platform.releaseLogs();
    canvas.logsPixels = nullptr;
    canvas.logsWidth = 0;
    canvas.logsHeight = 0;
    FreeFlameBuffers();
}

bool JumpCanvasWhenDue()
{
    if (flameCanvas.frameCount <= JUMP_AFTER_FRAMES)
        return false;
    JumpCanvas(flameCanvas.clientWidth, flameCanvas.clientHeight);
    return true;
}

bool TickSaverCanvas()
{
    StepFlameCanvas();
    return JumpCanvasWhenDue();
}

bool FollowClientSize(int32_t clientWidth, int32_t clientHeight)
{
    FlameCanvas& canvas = flameCanvas;
    if (clientWidth == canvas.clientWidth && clientHeight == canvas.clientHeight)
        return false;
    canvas.clientWidth = clientWidth;
    canvas.clientHeight = clientHeight;
    PlaceCanvasAtStart(clientWidth, clientHeight);
    return true;
}

uint32_t NoiseSeedFromClockParts(uint32_t minutes, uint32_t seconds, uint32_t milliseconds)
{
    return minutes + seconds + milliseconds;
}

bool AddMonitorBox(MonitorBox box, bool primary, int32_t clientWidth, int32_t clientHeight)
{
    MonitorLayout& layout = monitorLayout;
    if (layout.count >= MONITOR_LIMIT)
        return false;
    box.left = box.left < 0 ? 0 : box.left;
    box.top = box.top < 0 ? 0 : box.top;
    box.right = box.right > clientWidth ? clientWidth : box.right;
    box.bottom = box.bottom > clientHeight ? clientHeight : box.bottom;
    if (box.right <= box.left || box.bottom <= box.top)
        return true;
    if (primary)
        layout.primary = layout.count;
    layout.boxes[layout.count++] = box;
    return true;
}

uint32_t* MakePlainSurface(int32_t width, int32_t height)
{
    ReleasePlainSurface();
    if (width > 0 && height > 0)
        plainSurface = static_cast<uint32_t*>(calloc(static_cast<size_t>(width) * height, sizeof(uint32_t)));
    return plainSurface;
}

void ReleasePlainSurface()
{
    free(plainSurface);
    plainSurface = nullptr;
}
