// The effect's handling of the saver window: creation, ticks, paint, teardown.
#ifndef TAMBLORN_EFFECT_WINDOW_H
#define TAMBLORN_EFFECT_WINDOW_H

#include <windows.h>

#include <cstdint>

#include "saver_host.h"

const UINT_PTR EFFECT_TIMER_ID = 0x7FFF;
const UINT EFFECT_TICK_MS = 100;
const uint32_t JUMP_AFTER_FRAMES = 100;

#endif
