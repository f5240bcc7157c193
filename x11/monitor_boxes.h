// The monitors of the window's screen, from Xinerama or RandR, in the
// window's coordinates, for the canvas's start and jumps; and the display's
// dots per inch.
#ifndef TAMBLORN_MONITOR_BOXES_H
#define TAMBLORN_MONITOR_BOXES_H

#include <X11/Xlib.h>

#include <cstdint>

#include "flame_canvas.h"

// Fills the layout with the parts of the monitors the window covers; with
// fewer than two the whole window is one place.
void ReadX11Monitors(MonitorLayout& monitors, Display* display, Window window, int32_t clientWidth,
                     int32_t clientHeight);

// The resource Xft.dpi of the display, rounded; 0 when it has none.
int32_t ReadXftDpi(Display* display);

#endif
