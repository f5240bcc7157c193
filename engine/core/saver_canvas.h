// What the saver does with its canvas, the same on every platform: the set-up
// for the settings' mode, the tick with its jumps, a new client size. A
// platform lends its surfaces, its text drawing, the logs picture and its
// clock through a record of hooks, and shows the pixels the core leaves.
#ifndef TAMBLORN_SAVER_CANVAS_H
#define TAMBLORN_SAVER_CANVAS_H

#include <cstdint>

#include "flame_canvas.h"
#include "saver_settings.h"

// Only makeSurface is needed: without the others nothing is drawn or
// released and the seed is 0. Every hook is handed the platform's context.
struct CanvasPlatform {
    void* context;
    // A zeroed surface of width x height pixels, 0x00RRGGBB, top row first,
    // that stays the platform's; null when none can be made.
    uint32_t* (*makeSurface)(void* context, int32_t width, int32_t height);
    void (*releaseSurface)(void* context);
    // Draws the Shift-JIS text in the canvas's text colour into a scratch
    // picture of the canvas's size, a cell of cellSize x cellSize pixels a
    // byte from the left edge of the band of rows from top, clipped to it.
    void (*drawText)(void* context, const FlameCanvas& canvas, uint32_t* scratch, int32_t top, int32_t cellSize,
                     const char* text);
    // The bonfire's logs, top row first, valid until releaseLogs; false when
    // there is no picture.
    bool (*loadLogs)(void* context, const uint32_t** pixels, int32_t* width, int32_t* height);
    void (*releaseLogs)(void* context);
    // The noise's seed at each set-up.
    uint32_t (*noiseSeed)(void* context);
};

// Builds the canvas for the settings in a client area of the given size,
// with the monitors read for it, and places it at the start. An earlier
// canvas is released first.
void SetUpSaverCanvas(FlameCanvas& canvas, const SaverSettings& settings, const MonitorLayout& monitors,
                      const CanvasPlatform& platform, int32_t clientWidth, int32_t clientHeight);
// The same with the text in cells of another size than the settings' own.
void SetUpSaverCanvasAtSize(FlameCanvas& canvas, const SaverSettings& settings, const MonitorLayout& monitors,
                            const CanvasPlatform& platform, int32_t clientWidth, int32_t clientHeight,
                            int32_t cellSize);
// The same sequence for a canvas of a given size with nothing to burn yet.
bool BuildCanvasOfSize(FlameCanvas& canvas, const CanvasPlatform& platform, int32_t width, int32_t height);
void ReleaseSaverCanvas(FlameCanvas& canvas, const CanvasPlatform& platform);
// Whether the text, drawn as the set-up draws it in cells of cellSize, lights
// at least one fuel point.
bool TextLightsFuel(const CanvasPlatform& platform, const char* text, int32_t cellSize);

// Moves the canvas elsewhere once it has burned long enough in one place;
// true when it moved: the platform then blackens the whole client area
// before it shows the canvas.
bool JumpCanvasWhenDue(FlameCanvas& canvas, const MonitorLayout& monitors);
// One tick: the step, then the jump when it is due (the result as above).
bool TickSaverCanvas(FlameCanvas& canvas, const SaverSettings& settings, const MonitorLayout& monitors);
// A new client size re-centres the canvas where the monitors, read again by
// the platform for that size, allow; false when the size did not change.
bool FollowClientSize(FlameCanvas& canvas, const MonitorLayout& monitors, int32_t clientWidth,
                      int32_t clientHeight);

// The clock seed: the minutes, seconds and milliseconds of the clock, added.
uint32_t NoiseSeedFromClockParts(uint32_t minutes, uint32_t seconds, uint32_t milliseconds);
// A monitor in client coordinates, cut to the client area; false when the
// layout is full.
bool AddMonitorBox(MonitorLayout& monitors, MonitorBox box, bool primary, int32_t clientWidth,
                   int32_t clientHeight);

// A surface in ordinary memory held in `held`, for platforms that copy the
// pixels to the screen themselves; an earlier one is released first.
uint32_t* MakePlainSurface(uint32_t** held, int32_t width, int32_t height);
void ReleasePlainSurface(uint32_t** held);

#endif
