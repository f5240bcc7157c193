// The burning text drawn with GDI in the canvas face "ＭＳ 明朝".
#ifndef TAMBLORN_CANVAS_TEXT_H
#define TAMBLORN_CANVAS_TEXT_H

#include <windows.h>

#include "flame_canvas.h"

// Fills the box with the background, then draws the Shift-JIS text from its
// left edge, a cell of boxHeight x boxHeight pixels a byte, clipped to it.
void DrawCanvasText(int left, int top, int boxWidth, int boxHeight, const char* text, ColourTriple textColour,
                    ColourTriple backgroundColour, HDC context);

#endif
