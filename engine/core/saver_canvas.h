// What the saver does with its canvas, the same on every platform: the set-up
// for the settings' mode, the tick with its jumps, a new client size. A
// platform lends its surfaces, its text drawing, the logs picture and its
// clock through a record of hooks, and shows the pixels the core leaves.
#ifndef TAMBLORN_SAVER_CANVAS_H
#define TAMBLORN_SAVER_CANVAS_H

#include <cstdint>

#include "flame_canvas.h"

// Only makeSurface is needed: without the others nothing is drawn or
// released and the seed is 0.
struct CanvasPlatform {
    // A zeroed surface of width x height pixels, 0x00RRGGBB, top row first,
    // that stays the platform's; null when none can be made.
    uint32_t* (*makeSurface)(int32_t width, int32_t height);
    void (*releaseSurface)();
    // Draws the Shift-JIS text in the canvas's text colour into a scratch
    // picture of the canvas's size, a cell of cellSize x cellSize pixels a
    // byte from the left edge of the band of rows from top, clipped to it.
    void (*drawText)(uint32_t* scratch, int32_t top, int32_t cellSize, const char* text);
    // The bonfire's logs, top row first, valid until releaseLogs; false when
    // there is no picture.
    bool (*loadLogs)(const uint32_t** pixels, int32_t* width, int32_t* height);
    void (*releaseLogs)();
    // The noise's seed at each set-up.
    uint32_t (*clockSeed)();
};

// Builds the canvas for saverSettings in a client area of the given size,
// with the monitors already in monitorLayout, and places it at the start.
// An earlier canvas is released first.
void SetUpSaverCanvas(const CanvasPlatform& platform, int32_t clientWidth, int32_t clientHeight);
// The same with the text in cells of another size than the settings' own.
void SetUpSaverCanvasAtSize(const CanvasPlatform& platform, int32_t clientWidth, int32_t clientHeight,
                            int32_t cellSize);
// The same sequence for a canvas of a given size with nothing to burn yet.
bool BuildCanvasOfSize(const CanvasPlatform& platform, int32_t width, int32_t height);
void ReleaseSaverCanvas(const CanvasPlatform& platform);

// Moves the canvas elsewhere once it has burned long enough in one place;
// true when it moved: the platform then blackens the whole client area
// before it shows the canvas.
bool JumpCanvasWhenDue();
// One tick: the step, then the jump when it is due (the result as above).
bool TickSaverCanvas();
// A new client size re-centres the canvas where the monitors, read again by
// the platform for that size, allow; false when the size did not change.
bool FollowClientSize(int32_t clientWidth, int32_t clientHeight);

// The clock seed: the minutes, seconds and milliseconds of the clock, added.
uint32_t NoiseSeedFromClockParts(uint32_t minutes, uint32_t seconds, uint32_t milliseconds);
// A monitor in client coordinates, cut to the client area; false when the
// layout is full.
bool AddMonitorBox(MonitorBox box, bool primary, int32_t clientWidth, int32_t clientHeight);

// A surface in ordinary memory, for platforms that copy the pixels to the
// screen themselves.
uint32_t* MakePlainSurface(int32_t width, int32_t height);
void ReleasePlainSurface();

#endif
