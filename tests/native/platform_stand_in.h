#ifndef TAMBLORN_PLATFORM_STAND_IN_H
#define TAMBLORN_PLATFORM_STAND_IN_H

#include "flame_canvas.h"

extern int logsCopies;
extern int repaints;
extern HWND lastRepaintedWindow;

#endif
