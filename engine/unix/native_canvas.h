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

#endif
