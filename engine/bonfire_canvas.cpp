#include "canvas_setup.h"
#include "canvas_surface.h"
#include "effect_window.h"

namespace {

const ColourTriple BLACK = {0.0, 0.0, 0.0};

void DrawPictureInto(HDC destination, const BITMAP& picture)
{
    HDC pictureContext = CreateCompatibleDC(flameCanvas.canvasContext);
    HGDIOBJ previous = SelectObject(pictureContext, flameCanvas.logsPicture);
    BitBlt(destination, 0, FLAME_HEADROOM, picture.bmWidth, picture.bmHeight, pictureContext, 0, 0, SRCCOPY);
    SelectObject(pictureContext, previous);
    DeleteDC(pictureContext);
}

void ScanEmbers(const BITMAP& picture)
{
    FlameCanvas& canvas = flameCanvas;
    ScratchImage scratch;
    if (CreateScratchImage(&scratch)) {
        FillBox(scratch.context, 0, 0, canvas.width, canvas.height, canvas.backgroundColour);
        DrawPictureInto(scratch.context, picture);
        GdiFlush();
        ScanFuelPoints(scratch.pixels, FUEL_TEST_EMBER);
    }
    ReleaseScratchImage(&scratch);
}

}  // namespace

void SetUpBonfireCanvas(HWND window)
{
    FlameCanvas& canvas = flameCanvas;
    // Without a picture there is no size: the canvas stays empty and black.
    BITMAP picture = {};
    bool havePicture = canvas.logsPicture && GetObjectA(canvas.logsPicture, sizeof picture, &picture) != 0;
    canvas.backgroundColour = BLACK;
    ResetCanvasForSetUp();
    canvas.width = havePicture ? picture.bmWidth : 0;
    canvas.height = havePicture ? picture.bmHeight + FLAME_HEADROOM : 0;

    CreateCanvasSurface(window);
    bool buffersReady = InitFlameBuffers();
    SeedNoiseFromClock();
    FinishCanvasSetUp();
    if (havePicture && buffersReady && canvas.pixels)
        ScanEmbers(picture);
    canvas.coolMask = CoolMaskForLevel(canvas.level);
    CentreCanvas(clientWidth, clientHeight);
}
