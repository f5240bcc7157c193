// The canvas's hooks in the native programs: pixels in plain memory, the
// text drawn with FreeType, the logs picture built in, the system clock.
#ifndef TAMBLORN_NATIVE_CANVAS_H
#define TAMBLORN_NATIVE_CANVAS_H

#include "saver_canvas.h"

extern const CanvasPlatform nativeCanvasPlatform;

#endif
