// The effect's handling of the saver window: creation, ticks, paint, teardown.
#ifndef TAMBLORN_EFFECT_WINDOW_H
#define TAMBLORN_EFFECT_WINDOW_H

#include <windows.h>

#include <cstdint>

#include "saver_canvas.h"
#include "saver_host.h"

// The effect's records: the canvas, and the monitors it stands and jumps on
// (its drawing objects are canvasSurface, its settings saverSettings).
extern FlameCanvas flameCanvas;
extern MonitorLayout monitorLayout;

const UINT_PTR EFFECT_TIMER_ID = 0x7FFF;

// The whole set-up of the settings' mode in a client area of the given size:
// the effect window's and the renderer's.
void SetUpEffectCanvas(HWND window, int32_t clientWidth, int32_t clientHeight);
// One tick: the canvas steps and the window repaints at once.
void StepFlames(HWND window);

#endif
