#include "canvas_surface.h"

namespace {

const int FILL_PEN_WIDTH = 2;
const WORD PIXEL_BITS = 32;

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
    FlameCanvas& canvas = flameCanvas;
    HDC windowContext = GetDC(window);
    canvas.canvasBitmap = CreatePixelSurface(windowContext, canvas.width, canvas.height, &canvas.pixels);
    canvas.canvasContext = CreateCompatibleDC(windowContext);
    if (canvas.canvasContext && canvas.canvasBitmap)
        SelectObject(canvas.canvasContext, canvas.canvasBitmap);
    ReleaseDC(window, windowContext);
}

void ReleaseCanvasSurface()
{
    FlameCanvas& canvas = flameCanvas;
    if (canvas.canvasContext)
        DeleteDC(canvas.canvasContext);
    if (canvas.canvasBitmap)
        DeleteObject(canvas.canvasBitmap);
    canvas.canvasContext = nullptr;
    canvas.canvasBitmap = nullptr;
    canvas.pixels = nullptr;
}

bool CreateScratchImage(ScratchImage* scratch)
{
    *scratch = ScratchImage();
    scratch->bitmap =
        CreatePixelSurface(flameCanvas.canvasContext, flameCanvas.width, flameCanvas.height, &scratch->pixels);
    if (!scratch->bitmap)
        return false;
    scratch->context = CreateCompatibleDC(flameCanvas.canvasContext);
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
    FlameCanvas& canvas = flameCanvas;
    // Without a picture there is no size to copy.
    BITMAP picture;
    if (!canvas.logsPicture || !destination || !GetObjectA(canvas.logsPicture, sizeof picture, &picture))
        return;
    HDC pictureContext = CreateCompatibleDC(destination);
    HGDIOBJ previous = SelectObject(pictureContext, canvas.logsPicture);
    BitBlt(destination, 0, FLAME_HEADROOM, picture.bmWidth, picture.bmHeight, pictureContext, 0, 0, SRCCOPY);
    SelectObject(pictureContext, previous);
    DeleteDC(pictureContext);
}

void CopyLogsPictureIntoCanvas()
{
    CopyLogsPictureInto(flameCanvas.canvasContext);
}

void RepaintEffectWindow(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
}
