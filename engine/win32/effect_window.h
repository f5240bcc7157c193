// The effect's handling of the saver window: creation, ticks, paint, teardown.
#ifndef TAMBLORN_EFFECT_WINDOW_H
#define TAMBLORN_EFFECT_WINDOW_H

#include <windows.h>

#include "saver_host.h"

const UINT_PTR EFFECT_TIMER_ID = 0x7FFF;

// One tick: the canvas steps and the window repaints at once.
void StepFlames(HWND window);

#endif
