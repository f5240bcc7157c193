#include "native_canvas.h"

#include <ctime>

#include "logs_picture.h"
#include "text_raster.h"

namespace {

const uint32_t TEXT_PIXEL = 0x00FF0000;
const int NANOSECONDS_PER_MILLISECOND = 1000000;

LogsPicture logsPicture;

void DrawTextIntoScratch(uint32_t* scratch, int32_t top, int32_t cellSize, const char* text)
{
    const FlameCanvas& canvas = flameCanvas;
    TextTarget target = {scratch, canvas.width, canvas.height};
    DrawShiftJisText(target, 0, top, canvas.width, cellSize, text, TEXT_PIXEL);
}

bool LoadLogs(const uint32_t** pixels, int32_t* width, int32_t* height)
{
    if (!LoadBuiltInLogsPicture(&logsPicture))
        return false;
    *pixels = logsPicture.pixels;
    *width = logsPicture.width;
    *height = logsPicture.height;
    return true;
}

void ReleaseLogs()
{
    FreeLogsPicture(&logsPicture);
}

// The same seed as the Windows set-up, from the UTC clock.
uint32_t ClockSeed()
{
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts = {};
    gmtime_r(&now.tv_sec, &parts);
    return NoiseSeedFromClockParts(parts.tm_min, parts.tm_sec, now.tv_nsec / NANOSECONDS_PER_MILLISECOND);
}

}  // namespace

const CanvasPlatform nativeCanvasPlatform = {MakePlainSurface, ReleasePlainSurface, DrawTextIntoScratch,
                                             LoadLogs,         ReleaseLogs,         ClockSeed};
