#include "saver_canvas.h"

#include <cstdlib>
#include <cstring>

namespace {

const ColourTriple BLACK = {0.0, 0.0, 0.0};
const ColourTriple PURE_RED = {255.0, 0.0, 0.0};

uint32_t* AllocateCanvasPicture(const FlameCanvas& canvas)
{
    if (canvas.width <= 0 || canvas.height <= 0)
        return nullptr;
    return static_cast<uint32_t*>(calloc(static_cast<size_t>(canvas.width) * canvas.height, sizeof(uint32_t)));
}

void ScanTextFuel(FlameCanvas& canvas, const CanvasPlatform& platform, const char* text, int32_t fontSize)
{
    uint32_t* scratch = platform.drawText ? AllocateCanvasPicture(canvas) : nullptr;
    if (!scratch)
        return;
    platform.drawText(platform.context, canvas, scratch, (canvas.height - fontSize) / 2, fontSize, text);
    ScanFuelPoints(canvas, scratch, FUEL_TEST_LIT);
    free(scratch);
}

// The embers are the logs' pixels of the one ember colour, the picture
// standing below the headroom.
void ScanEmberFuel(FlameCanvas& canvas)
{
    uint32_t* scratch = AllocateCanvasPicture(canvas);
    if (!scratch)
        return;
    PasteLogsInto(canvas, scratch);
    ScanFuelPoints(canvas, scratch, FUEL_TEST_EMBER);
    free(scratch);
}

bool PrepareCanvasCells(FlameCanvas& canvas, const CanvasPlatform& platform)
{
    canvas.pixels = platform.makeSurface(platform.context, canvas.width, canvas.height);
    bool buffersReady = InitFlameBuffers(canvas);
    SeedNoise(canvas.noise, platform.noiseSeed ? platform.noiseSeed(platform.context) : 0);
    FinishCanvasSetUp(canvas);
    canvas.coolMask = CoolMaskForLevel(canvas.level);
    return buffersReady && canvas.pixels;
}

void StartSetUp(FlameCanvas& canvas, const CanvasPlatform& platform)
{
    ReleaseSaverCanvas(canvas, platform);
    ResetCanvasForSetUp(canvas);
    canvas.backgroundColour = BLACK;
    canvas.textColour = PURE_RED;
}

}  // namespace

void SetUpSaverCanvas(FlameCanvas& canvas, const SaverSettings& settings, const MonitorLayout& monitors,
                      const CanvasPlatform& platform, int32_t clientWidth, int32_t clientHeight)
{
    SetUpSaverCanvasAtSize(canvas, settings, monitors, platform, clientWidth, clientHeight, settings.fontSize);
}

void SetUpSaverCanvasAtSize(FlameCanvas& canvas, const SaverSettings& settings, const MonitorLayout& monitors,
                            const CanvasPlatform& platform, int32_t clientWidth, int32_t clientHeight,
                            int32_t cellSize)
{
    StartSetUp(canvas, platform);
    canvas.clientWidth = clientWidth;
    canvas.clientHeight = clientHeight;
    char text[SETTINGS_TEXT_BYTES] = {};
    bool burnText = settings.fireMode == FIRE_TEXT;
    bool havePicture = false;
    if (burnText) {
        memcpy(text, settings.text, sizeof text - 1);
        SizeTextCanvas(canvas, static_cast<int32_t>(strlen(text)), cellSize);
    } else {
        // Only the mode 1 loads the picture; other modes burn an empty canvas.
        havePicture =
            settings.fireMode == FIRE_BONFIRE && platform.loadLogs &&
            platform.loadLogs(platform.context, &canvas.logsPixels, &canvas.logsWidth, &canvas.logsHeight);
        SizeBonfireCanvas(canvas, havePicture, canvas.logsWidth, canvas.logsHeight);
    }
    // A negative font size or a failed allocation leaves nothing to burn.
    if (PrepareCanvasCells(canvas, platform)) {
        if (burnText && text[0] != '\0')
            ScanTextFuel(canvas, platform, text, cellSize);
        else if (havePicture)
            ScanEmberFuel(canvas);
    }
    PlaceCanvasAtStart(canvas, monitors, clientWidth, clientHeight);
}

bool BuildCanvasOfSize(FlameCanvas& canvas, const CanvasPlatform& platform, int32_t width, int32_t height)
{
    StartSetUp(canvas, platform);
    canvas.width = width;
    canvas.height = height;
    return PrepareCanvasCells(canvas, platform);
}

void ReleaseSaverCanvas(FlameCanvas& canvas, const CanvasPlatform& platform)
{
    if (platform.releaseSurface)
        platform.releaseSurface(platform.context);
    canvas.pixels = nullptr;
    if (platform.releaseLogs)
        platform.releaseLogs(platform.context);
    canvas.logsPixels = nullptr;
    canvas.logsWidth = 0;
    canvas.logsHeight = 0;
    FreeFlameBuffers(canvas);
}

bool TextLightsFuel(const CanvasPlatform& platform, const char* text, int32_t cellSize)
{
    FlameCanvas probe = {};
    probe.backgroundColour = BLACK;
    probe.textColour = PURE_RED;
    SizeTextCanvas(probe, static_cast<int32_t>(strnlen(text, SETTINGS_TEXT_BYTES - 1)), cellSize);
    bool lit = false;
    if (text[0] != '\0' && InitFlameBuffers(probe)) {
        FinishCanvasSetUp(probe);
        ScanTextFuel(probe, platform, text, cellSize);
        lit = CountFuelPoints(probe) > 0;
    }
    FreeFlameBuffers(probe);
    return lit;
}

bool JumpCanvasWhenDue(FlameCanvas& canvas, const MonitorLayout& monitors)
{
    if (canvas.frameCount <= JUMP_AFTER_FRAMES)
        return false;
    JumpCanvas(canvas, monitors, canvas.clientWidth, canvas.clientHeight);
    return true;
}

bool TickSaverCanvas(FlameCanvas& canvas, const SaverSettings& settings, const MonitorLayout& monitors)
{
    StepFlameCanvas(canvas, settings);
    return JumpCanvasWhenDue(canvas, monitors);
}

bool FollowClientSize(FlameCanvas& canvas, const MonitorLayout& monitors, int32_t clientWidth,
                      int32_t clientHeight)
{
    if (clientWidth == canvas.clientWidth && clientHeight == canvas.clientHeight)
        return false;
    canvas.clientWidth = clientWidth;
    canvas.clientHeight = clientHeight;
    PlaceCanvasAtStart(canvas, monitors, clientWidth, clientHeight);
    return true;
}

uint32_t NoiseSeedFromClockParts(uint32_t minutes, uint32_t seconds, uint32_t milliseconds)
{
    return minutes + seconds + milliseconds;
}

bool AddMonitorBox(MonitorLayout& monitors, MonitorBox box, bool primary, int32_t clientWidth,
                   int32_t clientHeight)
{
    if (monitors.count >= MONITOR_LIMIT)
        return false;
    box.left = box.left < 0 ? 0 : box.left;
    box.top = box.top < 0 ? 0 : box.top;
    box.right = box.right > clientWidth ? clientWidth : box.right;
    box.bottom = box.bottom > clientHeight ? clientHeight : box.bottom;
    if (box.right <= box.left || box.bottom <= box.top)
        return true;
    if (primary)
        monitors.primary = monitors.count;
    monitors.boxes[monitors.count++] = box;
    return true;
}

uint32_t* MakePlainSurface(uint32_t** held, int32_t width, int32_t height)
{
    ReleasePlainSurface(held);
    if (width > 0 && height > 0)
        *held = static_cast<uint32_t*>(calloc(static_cast<size_t>(width) * height, sizeof(uint32_t)));
    return *held;
}

void ReleasePlainSurface(uint32_t** held)
{
    free(*held);
    *held = nullptr;
}
