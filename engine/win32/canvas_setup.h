// The two canvas set-ups run when the effect window is created.
#ifndef TAMBLORN_CANVAS_SETUP_H
#define TAMBLORN_CANVAS_SETUP_H

#include <windows.h>

#include "flame_canvas.h"

const int TEXT_COPY_BYTES = 128;
const int DRAW_TEXT_BYTES = 512;

void SetUpTextCanvas(HWND window);
void DrawCanvasText(int left, int top, int boxWidth, int boxHeight, const char* text, ColourTriple textColour,
                    ColourTriple backgroundColour, HDC context);
void SetUpBonfireCanvas(HWND window);
HBITMAP LoadLogsPicture();
// The whole set-up of the settings' mode in a client area of the given size:
// the effect window's and the renderer's.
void SetUpEffectCanvas(HWND window, int32_t clientWidth, int32_t clientHeight);

#endif
