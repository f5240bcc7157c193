// The canvas's hooks in the native programs: pixels in plain memory, the
// text drawn with FreeType, the logs picture built in, the system clock.
#ifndef TAMBLORN_NATIVE_CANVAS_H
#define TAMBLORN_NATIVE_CANVAS_H

#include <cstddef>

#include "logs_picture.h"
#include "saver_canvas.h"
#include "saver_settings.h"
#include "text_raster.h"

// resources/logs.bmp, built in.
extern const unsigned char LOGS_BITMAP[];
extern const size_t LOGS_BITMAP_SIZE;

// What the native hooks hold between a set-up and the release.
struct NativeCanvas {
    uint32_t* surface;
    LogsPicture logs;
    const char* facePattern;  // the fontconfig pattern asked for (-font); null: CANVAS_FACE_PATTERN
    DrawnFace face;  // the face the last text was drawn with
    bool fixedSeed;  // the noise starts from `seed` instead of the clock
    uint32_t seed;
};

// The hooks, each handed `native`.
CanvasPlatform NativeCanvasPlatform(NativeCanvas* native);

// The text sized to the monitors instead of the settings' fixed size.
struct TextFit {
    bool on;
    int32_t dotsPerInch;  // the display's Xft.dpi, 0 when it has none
};

// The saver's set-up for a program that must show fire where the Windows
// program shows black: the settings mended by MendUnburnableSettings, then
// the canvas set up once. With the fit on, the text is fitted to the smallest
// monitor (the client area without one). Returns the mends made (a
// SettingsMend).
unsigned SetUpBurningCanvas(FlameCanvas& canvas, SaverSettings& settings, const MonitorLayout& monitors,
                            NativeCanvas& native, const TextFit& fit, int32_t clientWidth, int32_t clientHeight);

// One line on standard error, after the program's name, for each setting the
// set-up set back from what was asked, and for a face that is not the one
// asked for.
void ReportCanvasMends(const char* program, const SaverSettings& asked, const SaverSettings& settings,
                       const NativeCanvas& native, unsigned mends);

// The fixed size is to the fitted text what it is to a screen of
// FIT_REFERENCE_WIDTH pixels: the text keeps that share of the monitor's
// width, scaled up by dotsPerInch / 96 above 96 dpi, and never runs past the
// monitor's edges, its headroom included. At least one pixel.
const int32_t FIT_REFERENCE_WIDTH = 1024;
const int32_t FIT_REFERENCE_DPI = 96;
int32_t FittedCellSize(int32_t fixedSize, int32_t textBytes, int32_t monitorWidth, int32_t monitorHeight,
                       int32_t dotsPerInch);

// Two copies started at once (the daemon runs one per monitor) get
// different jump seeds.
uint32_t JumpSeedFromClockAndProcess();

#endif
