// The Windows side of the canvas: DIB-section surfaces, the text drawn with
// GDI, the logs bitmap read out as pixels, the system clock, box fills and
// the repaint.
#ifndef TAMBLORN_CANVAS_SURFACE_H
#define TAMBLORN_CANVAS_SURFACE_H

#include <windows.h>

#include "saver_canvas.h"

struct CanvasSurface {
    HWND window;  // the window whose surface is made
    HBITMAP canvasBitmap;
    HDC canvasContext;
    HBITMAP logsPicture;
    uint32_t* logsPixels;
};

// The effect's drawing objects, the context of gdiCanvasPlatform's hooks.
extern CanvasSurface canvasSurface;
extern const CanvasPlatform gdiCanvasPlatform;

void ReleaseCanvasSurface(CanvasSurface& surface);
void ReleaseLogsPicture(CanvasSurface& surface);
void RepaintEffectWindow(HWND window);
void FillBox(HDC context, int left, int top, int right, int bottom, ColourTriple colour);
uint32_t NoiseSeedFromTime(const SYSTEMTIME& time);

#endif
