#include "canvas_surface.h"

#include <cstdlib>

CanvasSurface canvasSurface = {};

namespace {

const int FILL_PEN_WIDTH = 2;
const WORD PIXEL_BITS = 32;
const uint32_t PIXEL_COLOUR_BITS = 0x00FFFFFF;

// A 32-bit top-down surface: row 0 first in memory, pixel words 0x00RRGGBB.
HBITMAP CreatePixelSurface(HDC compatible, int width, int height, uint32_t** pixels)
{
    *pixels = nullptr;
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = PIXEL_BITS;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(compatible, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
        *pixels = static_cast<uint32_t*>(bits);
    return bitmap;
}

}  // namespace

void CreateCanvasSurface(HWND window)
{
    CanvasSurface& surface = canvasSurface;
    HDC windowContext = GetDC(window);
    surface.canvasBitmap = CreatePixelSurface(windowContext, flameCanvas.width, flameCanvas.height, &flameCanvas.pixels);
    surface.canvasContext = CreateCompatibleDC(windowContext);
    if (surface.canvasContext && surface.canvasBitmap)
        SelectObject(surface.canvasContext, surface.canvasBitmap);
    ReleaseDC(window, windowContext);
}

void ReleaseCanvasSurface()
{
    CanvasSurface& surface = canvasSurface;
    if (surface.canvasContext)
        DeleteDC(surface.canvasContext);
    if (surface.canvasBitmap)
        DeleteObject(surface.canvasBitmap);
    surface.canvasContext = nullptr;
    surface.canvasBitmap = nullptr;
    flameCanvas.pixels = nullptr;
}

bool CreateScratchImage(ScratchImage* scratch)
{
    *scratch = ScratchImage();
    scratch->bitmap =
        CreatePixelSurface(canvasSurface.canvasContext, flameCanvas.width, flameCanvas.height, &scratch->pixels);
    if (!scratch->bitmap)
        return false;
    scratch->context = CreateCompatibleDC(canvasSurface.canvasContext);
    if (!scratch->context)
        return false;
    scratch->previousBitmap = SelectObject(scratch->context, scratch->bitmap);
    FillBox(scratch->context, 0, 0, flameCanvas.width, flameCanvas.height, flameCanvas.backgroundColour);
    return true;
}

void ScanScratchImage(ScratchImage* scratch, FuelTest test)
{
    // GDI may still hold the drawing in its batch.
    GdiFlush();
    ScanFuelPoints(scratch->pixels, test);
}

void ReleaseScratchImage(ScratchImage* scratch)
{
    if (scratch->context) {
        SelectObject(scratch->context, scratch->previousBitmap);
        DeleteDC(scratch->context);
    }
    if (scratch->bitmap)
        DeleteObject(scratch->bitmap);
    *scratch = ScratchImage();
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
    return static_cast<uint32_t>(time.wMinute) + time.wSecond + time.wMilliseconds;
}

void SeedNoiseFromClock()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    SeedNoise(NoiseSeedFromTime(now));
}

void CopyLogsPictureInto(HDC destination)
{
    HBITMAP logs = canvasSurface.logsPicture;
    // Without a picture there is no size to copy.
    BITMAP picture;
    if (!logs || !destination || !GetObjectA(logs, sizeof picture, &picture))
        return;
    HDC pictureContext = CreateCompatibleDC(destination);
    HGDIOBJ previous = SelectObject(pictureContext, logs);
    BitBlt(destination, 0, FLAME_HEADROOM, picture.bmWidth, picture.bmHeight, pictureContext, 0, 0, SRCCOPY);
    SelectObject(pictureContext, previous);
    DeleteDC(pictureContext);
}

// The step pastes the logs from plain pixels: the picture is read once, as a
// 32-bit top-down image, the way a copy onto the canvas's surface converts it.
bool ReadLogsPixels()
{
    CanvasSurface& surface = canvasSurface;
    FlameCanvas& canvas = flameCanvas;
    free(surface.logsPixels);
    surface.logsPixels = nullptr;
    canvas.logsPixels = nullptr;
    BITMAP picture;
    if (!surface.logsPicture || !GetObjectA(surface.logsPicture, sizeof picture, &picture) || picture.bmWidth <= 0 ||
        picture.bmHeight <= 0)
        return false;
    size_t count = static_cast<size_t>(picture.bmWidth) * static_cast<size_t>(picture.bmHeight);
    uint32_t* pixels = static_cast<uint32_t*>(calloc(count, sizeof(uint32_t)));
    if (!pixels)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = picture.bmWidth;
    info.bmiHeader.biHeight = -picture.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = PIXEL_BITS;
    info.bmiHeader.biCompression = BI_RGB;
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
    canvas.logsPixels = pixels;
    canvas.logsWidth = picture.bmWidth;
    canvas.logsHeight = picture.bmHeight;
    return true;
}

void ReleaseLogsPicture()
{
    CanvasSurface& surface = canvasSurface;
    if (surface.logsPicture)
        DeleteObject(surface.logsPicture);
    free(surface.logsPixels);
    surface.logsPicture = nullptr;
    surface.logsPixels = nullptr;
    flameCanvas.logsPixels = nullptr;
    flameCanvas.logsWidth = 0;
    flameCanvas.logsHeight = 0;
}

void RepaintEffectWindow(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}
