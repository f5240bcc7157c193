// The canvas's hooks in the native programs: pixels in plain memory, the
// text drawn with FreeType, the logs picture built in, the system clock.
#ifndef TAMBLORN_NATIVE_CANVAS_H
#define TAMBLORN_NATIVE_CANVAS_H

#include "saver_canvas.h"
#include "saver_settings.h"

extern const CanvasPlatform nativeCanvasPlatform;

// The saver's set-up for a program that must show fire where the Windows
// program shows black: saverSettings mended by MendUnburnableSettings. With
// textFit on, the text is fitted to the smallest monitor of monitorLayout (the
// client area without one). Returns the mends made (a SettingsMend).
unsigned SetUpBurningCanvas(int32_t clientWidth, int32_t clientHeight);
// One line on standard error, after the program's name, for each setting the
// set-up set back from what was asked, and for a face that is not the one
// asked for.
void ReportCanvasMends(const char* program, const SaverSettings& asked, unsigned mends);

// The text sized to the monitors instead of the settings' fixed size.
struct TextFit {
    bool on;
    int32_t dotsPerInch;  // the display's Xft.dpi, 0 when it has none
};

extern TextFit textFit;

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
