// The monitors of the full-screen window, for the canvas's start and jumps.
#ifndef TAMBLORN_MONITOR_LAYOUT_H
#define TAMBLORN_MONITOR_LAYOUT_H

#include <windows.h>

#include "flame_canvas.h"

void ReadMonitorLayout(MonitorLayout& monitors, HWND window);

#endif
