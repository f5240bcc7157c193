#include "canvas_surface.h"

#include <cstdlib>
#include <cstring>

#include "canvas_text.h"
#include "resource_ids.h"
#include "saver_host.h"

namespace {

const int FILL_PEN_WIDTH = 2;
const WORD PIXEL_BITS = 32;
const uint32_t PIXEL_COLOUR_BITS = 0x00FFFFFF;

BITMAPINFO PixelSurfaceInfo(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = PIXEL_BITS;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A 32-bit top-down surface: row 0 first in memory, pixel words 0x00RRGGBB.
HBITMAP CreatePixelSurface(HDC compatible, int width, int height, uint32_t** pixels)
{
    *pixels = nullptr;
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info = PixelSurfaceInfo(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(compatible, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
        *pixels = static_cast<uint32_t*>(bits);
    return bitmap;
}

CanvasSurface& Surface(void* context)
{
    return *static_cast<CanvasSurface*>(context);
}

uint32_t* MakeCanvasSurface(void* context, int32_t width, int32_t height)
{
    CanvasSurface& surface = Surface(context);
    uint32_t* pixels = nullptr;
    HDC windowContext = GetDC(surface.window);
    surface.canvasBitmap = CreatePixelSurface(windowContext, width, height, &pixels);
    surface.canvasContext = CreateCompatibleDC(windowContext);
    if (surface.canvasContext && surface.canvasBitmap)
        SelectObject(surface.canvasContext, surface.canvasBitmap);
    ReleaseDC(surface.window, windowContext);
    return pixels;
}

// GDI draws the text into a section of its own, which is then handed over.
void DrawTextIntoScratch(void* surfaceContext, const FlameCanvas& canvas, uint32_t* scratch, int32_t top,
                         int32_t cellSize, const char* text)
{
    const CanvasSurface& surface = Surface(surfaceContext);
    uint32_t* pixels = nullptr;
    HBITMAP bitmap = CreatePixelSurface(surface.canvasContext, canvas.width, canvas.height, &pixels);
    HDC context = bitmap ? CreateCompatibleDC(surface.canvasContext) : nullptr;
    if (context) {
        HGDIOBJ previousBitmap = SelectObject(context, bitmap);
        FillBox(context, 0, 0, canvas.width, canvas.height, canvas.backgroundColour);
        DrawCanvasText(0, top, canvas.width, cellSize, text, canvas.textColour, canvas.backgroundColour, context);
        // GDI may still hold the drawing in its batch.
        GdiFlush();
        memcpy(scratch, pixels, static_cast<size_t>(canvas.width) * canvas.height * sizeof(uint32_t));
        SelectObject(context, previousBitmap);
        DeleteDC(context);
    }
    if (bitmap)
        DeleteObject(bitmap);
}

// The step pastes the logs from plain pixels: the picture is read once, as a
// 32-bit top-down image, the way a copy onto the canvas's surface converts it.
// A section keeps the picture's own colours: a bitmap converted to a 16-bit
// display would no longer hold the exact ember colour.
bool LoadLogsPixels(void* context, const uint32_t** pixelsOut, int32_t* width, int32_t* height)
{
    CanvasSurface& surface = Surface(context);
    surface.logsPicture = static_cast<HBITMAP>(
        LoadImageA(SaverModuleInstance(), MAKEINTRESOURCEA(IDB_LOGS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP picture;
    if (!surface.logsPicture || !GetObjectA(surface.logsPicture, sizeof picture, &picture) || picture.bmWidth <= 0 ||
        picture.bmHeight <= 0)
        return false;
    size_t count = static_cast<size_t>(picture.bmWidth) * static_cast<size_t>(picture.bmHeight);
    uint32_t* pixels = static_cast<uint32_t*>(calloc(count, sizeof(uint32_t)));
    if (!pixels)
        return false;
    BITMAPINFO info = PixelSurfaceInfo(picture.bmWidth, picture.bmHeight);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, surface.logsPicture, 0, static_cast<UINT>(picture.bmHeight), pixels, &info,
                         DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != picture.bmHeight) {
        free(pixels);
        return false;
    }
    for (size_t i = 0; i < count; ++i)
        pixels[i] &= PIXEL_COLOUR_BITS;
    surface.logsPixels = pixels;
    *pixelsOut = pixels;
    *width = picture.bmWidth;
    *height = picture.bmHeight;
    return true;
}

uint32_t SystemClockSeed(void*)
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    return NoiseSeedFromTime(now);
}

void ReleaseSurfaceHook(void* context)
{
    ReleaseCanvasSurface(Surface(context));
}

void ReleaseLogsHook(void* context)
{
    ReleaseLogsPicture(Surface(context));
}

}  // namespace

const CanvasPlatform gdiCanvasPlatform = {&canvasSurface,      MakeCanvasSurface, ReleaseSurfaceHook,
                                          DrawTextIntoScratch, LoadLogsPixels,    ReleaseLogsHook,
                                          SystemClockSeed};

void ReleaseCanvasSurface(CanvasSurface& surface)
{
    if (surface.canvasContext)
        DeleteDC(surface.canvasContext);
    if (surface.canvasBitmap)
        DeleteObject(surface.canvasBitmap);
    surface.canvasContext = nullptr;
    surface.canvasBitmap = nullptr;
}

void ReleaseLogsPicture(CanvasSurface& surface)
{
    if (surface.logsPicture)
        DeleteObject(surface.logsPicture);
    free(surface.logsPixels);
    surface.logsPicture = nullptr;
    surface.logsPixels = nullptr;
}

void FillBox(HDC context, int left, int top, int right, int bottom, ColourTriple colour)
{
    COLORREF platformColour = ColourToPlatform(colour);
    HPEN pen = CreatePen(PS_SOLID, FILL_PEN_WIDTH, platformColour);
    HBRUSH brush = CreateSolidBrush(platformColour);
    HGDIOBJ previousPen = SelectObject(context, pen);
    HGDIOBJ previousBrush = SelectObject(context, brush);
    Rectangle(context, left, top, right, bottom);
    SelectObject(context, previousPen);
    SelectObject(context, previousBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

uint32_t NoiseSeedFromTime(const SYSTEMTIME& time)
{
    return NoiseSeedFromClockParts(time.wMinute, time.wSecond, time.wMilliseconds);
}

void RepaintEffectWindow(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}
