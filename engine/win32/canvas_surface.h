// The platform side of the canvas: pixel surfaces, box fills, the clock seed
// and the repaint, shared by the text and bonfire set-ups and the step.
#ifndef TAMBLORN_CANVAS_SURFACE_H
#define TAMBLORN_CANVAS_SURFACE_H

#include <windows.h>

#include "flame_canvas.h"

// The Windows side of the canvas: its surface, and the logs picture with its
// pixels read out for the step.
struct CanvasSurface {
    HBITMAP canvasBitmap;
    HDC canvasContext;
    HBITMAP logsPicture;
    uint32_t* logsPixels;
};

extern CanvasSurface canvasSurface;

struct ScratchImage {
    HBITMAP bitmap;
    HDC context;
    HGDIOBJ previousBitmap;
    uint32_t* pixels;
};

void CreateCanvasSurface(HWND window);
void ReleaseCanvasSurface();
bool CreateScratchImage(ScratchImage* scratch);
void ScanScratchImage(ScratchImage* scratch, FuelTest test);
void ReleaseScratchImage(ScratchImage* scratch);
void CopyLogsPictureInto(HDC destination);
bool ReadLogsPixels();
void ReleaseLogsPicture();
void RepaintEffectWindow(HWND window);
void FillBox(HDC context, int left, int top, int right, int bottom, ColourTriple colour);
uint32_t NoiseSeedFromTime(const SYSTEMTIME& time);
void SeedNoiseFromClock();

#endif
