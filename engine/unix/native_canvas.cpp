#include "native_canvas.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "settings_mend.h"

namespace {

const uint32_t TEXT_PIXEL = 0x00FF0000;
const int NANOSECONDS_PER_MILLISECOND = 1000000;
const uint64_t NANOSECONDS_PER_SECOND = 1000000000;
const int PROCESS_ID_SHIFT = 32;
// The finishing steps of the SplitMix64 generator: nearby inputs give unrelated outputs.
const uint64_t MIX_FIRST_MULTIPLIER = 0xBF58476D1CE4E5B9u;
const uint64_t MIX_SECOND_MULTIPLIER = 0x94D049BB133111EBu;
const int MIX_SHIFTS[] = {30, 27, 31};

NativeCanvas& Native(void* context)
{
    return *static_cast<NativeCanvas*>(context);
}

uint32_t* MakeSurface(void* context, int32_t width, int32_t height)
{
    return MakePlainSurface(&Native(context).surface, width, height);
}

void ReleaseSurface(void* context)
{
    ReleasePlainSurface(&Native(context).surface);
}

void DrawTextIntoScratch(void* context, const FlameCanvas& canvas, uint32_t* scratch, int32_t top,
                         int32_t cellSize, const char* text)
{
    NativeCanvas& native = Native(context);
    TextTarget target = {scratch, canvas.width, canvas.height};
    DrawShiftJisText(target, native.facePattern ? native.facePattern : CANVAS_FACE_PATTERN, &native.face, 0, top,
                     canvas.width, cellSize, text, TEXT_PIXEL);
}

bool LoadLogs(void* context, const uint32_t** pixels, int32_t* width, int32_t* height)
{
    return LendLogsPicture(Native(context).logs, LOGS_BITMAP, LOGS_BITMAP_SIZE, pixels, width, height);
}

void ReleaseLogs(void* context)
{
    GiveBackLogsPicture(Native(context).logs);
}

// The same seed as the Windows set-up, from the UTC clock, unless a fixed
// one was asked for.
uint32_t NoiseSeed(void* context)
{
    const NativeCanvas& native = Native(context);
    if (native.fixedSeed)
        return native.seed;
    timespec now = {};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts = {};
    gmtime_r(&now.tv_sec, &parts);
    return NoiseSeedFromClockParts(parts.tm_min, parts.tm_sec, now.tv_nsec / NANOSECONDS_PER_MILLISECOND);
}

// The smallest width and the smallest height among the monitors: every jump
// lands wholly inside one of them.
void SmallestMonitor(const MonitorLayout& monitors, int32_t clientWidth, int32_t clientHeight, int32_t* width,
                     int32_t* height)
{
    *width = clientWidth;
    *height = clientHeight;
    for (int32_t i = 0; i < monitors.count; ++i) {
        const MonitorBox& box = monitors.boxes[i];
        *width = i == 0 || box.right - box.left < *width ? box.right - box.left : *width;
        *height = i == 0 || box.bottom - box.top < *height ? box.bottom - box.top : *height;
    }
}

int32_t TextCellSize(const SaverSettings& settings, const MonitorLayout& monitors, const TextFit& fit,
                     int32_t clientWidth, int32_t clientHeight)
{
    if (!fit.on || settings.fireMode != FIRE_TEXT || settings.text[0] == '\0')
        return settings.fontSize;
    int32_t monitorWidth = 0;
    int32_t monitorHeight = 0;
    SmallestMonitor(monitors, clientWidth, clientHeight, &monitorWidth, &monitorHeight);
    int32_t textBytes = static_cast<int32_t>(strlen(settings.text));
    return FittedCellSize(settings.fontSize, textBytes, monitorWidth, monitorHeight, fit.dotsPerInch);
}

// What the mend's check of the text needs to draw it as the set-up will.
struct FitTextLights {
    NativeCanvas* native;
    const MonitorLayout* monitors;
    const TextFit* fit;
    int32_t clientWidth;
    int32_t clientHeight;
};

bool TextLightsWhenFitted(const SaverSettings& settings, void* frontEnd)
{
    const FitTextLights& lights = *static_cast<const FitTextLights*>(frontEnd);
    return TextLightsFuel(NativeCanvasPlatform(lights.native), settings.text,
                          TextCellSize(settings, *lights.monitors, *lights.fit, lights.clientWidth,
                                       lights.clientHeight));
}

}  // namespace

CanvasPlatform NativeCanvasPlatform(NativeCanvas* native)
{
    return {native, MakeSurface, ReleaseSurface, DrawTextIntoScratch, LoadLogs, ReleaseLogs, NoiseSeed};
}

unsigned SetUpBurningCanvas(FlameCanvas& canvas, SaverSettings& settings, const MonitorLayout& monitors,
                            NativeCanvas& native, const TextFit& fit, int32_t clientWidth, int32_t clientHeight)
{
    FitTextLights fitLights = {&native, &monitors, &fit, clientWidth, clientHeight};
    unsigned mends = MendUnburnableSettings(settings, TextLightsWhenFitted, &fitLights);
    SetUpSaverCanvasAtSize(canvas, settings, monitors, NativeCanvasPlatform(&native), clientWidth, clientHeight,
                           TextCellSize(settings, monitors, fit, clientWidth, clientHeight));
    return mends;
}

int32_t FittedCellSize(int32_t fixedSize, int32_t textBytes, int32_t monitorWidth, int32_t monitorHeight,
                       int32_t dotsPerInch)
{
    int64_t cell = static_cast<int64_t>(fixedSize) * monitorWidth / FIT_REFERENCE_WIDTH;
    if (dotsPerInch > FIT_REFERENCE_DPI)
        cell = cell * dotsPerInch / FIT_REFERENCE_DPI;
    if (textBytes > 0 && cell > monitorWidth / textBytes)
        cell = monitorWidth / textBytes;
    if (cell > monitorHeight - FLAME_HEADROOM)
        cell = monitorHeight - FLAME_HEADROOM;
    return cell < 1 ? 1 : static_cast<int32_t>(cell);
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

void ReportCanvasMends(const char* program, const SaverSettings& asked, const SaverSettings& settings,
                       const NativeCanvas& native, unsigned mends)
{
    if (mends & MENDED_FIRE_MODE)
        fprintf(stderr, "%s: fire mode %d (FIRE) is neither text nor bonfire: the text burns\n", program,
                static_cast<int>(asked.fireMode));
    if (mends & MENDED_FONT_SIZE)
        fprintf(stderr, "%s: the font size (SIZE) reads as %d, which cannot burn: the default %d is used\n", program,
                static_cast<int>(asked.fontSize), DEFAULT_FONT_SIZE);
    if (mends & MENDED_TEXT)
        fprintf(stderr, "%s: the text burns nothing: the default text is used\n", program);
    if (settings.fireMode != FIRE_TEXT)
        return;
    const DrawnFace& drawnFace = native.face;
    const char* canvasFacePattern = native.facePattern ? native.facePattern : CANVAS_FACE_PATTERN;
    if (drawnFace.unreadable)
        fprintf(stderr, "%s: the font \"%s\" is no fontconfig pattern: %s is asked for\n", program,
                canvasFacePattern, CANVAS_FACE_PATTERN);
    if (!drawnFace.loaded)
        fprintf(stderr, "%s: no font face: neither %s nor another could be loaded\n", program, canvasFacePattern);
    else if (drawnFace.substitute)
        fprintf(stderr, "%s: the face %s is missing: the text is drawn with %s\n", program, canvasFacePattern,
                drawnFace.family);
}

