// The canvas's hooks in the native programs: pixels in plain memory, the
// text drawn with FreeType, the logs picture built in, the system clock.
#ifndef TAMBLORN_NATIVE_CANVAS_H
#define TAMBLORN_NATIVE_CANVAS_H

#include "saver_canvas.h"

extern const CanvasPlatform nativeCanvasPlatform;

// What SetUpBurningCanvas set back to its default in saverSettings.
enum CanvasMend : unsigned { MENDED_FIRE_MODE = 1, MENDED_FONT_SIZE = 2, MENDED_TEXT = 4 };

// The saver's set-up for a program that must show fire where the Windows
// program shows black: a fire mode other than text or bonfire becomes the
// text, a font size of 0 or below (after the file's low-byte rule) becomes
// the default, and a text that lights no fuel point becomes the default
// text. Returns the mends made.
unsigned SetUpBurningCanvas(int32_t clientWidth, int32_t clientHeight);

// Two copies started at once (the daemon runs one per monitor) get
// different jump seeds.
uint32_t JumpSeedFromClockAndProcess();

#endif
