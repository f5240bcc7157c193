// The canvas set-up of the native programs: the same sequence as the Windows
// text and bonfire set-ups, with the pixels in plain memory, the text drawn
// with FreeType and the logs picture built in.
#ifndef TAMBLORN_NATIVE_CANVAS_H
#define TAMBLORN_NATIVE_CANVAS_H

#include <cstdint>

// Builds the canvas for saverSettings in a client area of the given size,
// with the monitors already in monitorLayout, and places it at the start.
// An earlier canvas is released first.
void SetUpNativeCanvas(int32_t clientWidth, int32_t clientHeight);
void ReleaseNativeCanvas();
uint32_t NoiseSeedFromClock();

// What SetUpBurningCanvas set back to its default in saverSettings.
enum CanvasMend : unsigned { MENDED_FIRE_MODE = 1, MENDED_FONT_SIZE = 2, MENDED_TEXT = 4 };

// SetUpNativeCanvas for a saver that must show fire where the Windows
// program shows black: a fire mode other than text or bonfire becomes the
// text, a font size of 0 or below (after the file's low-byte rule) becomes
// the default, and a text that lights no fuel point becomes the default
// text. Returns the mends made.
unsigned SetUpBurningCanvas(int32_t clientWidth, int32_t clientHeight);

// Two copies started at once (the daemon runs one per monitor) get
// different jump seeds.
uint32_t JumpSeedFromClockAndProcess();

#endif
