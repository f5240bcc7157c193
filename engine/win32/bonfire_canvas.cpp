#include "canvas_setup.h"
#include "canvas_surface.h"
#include "resource_ids.h"
#include "saver_host.h"

namespace {

const ColourTriple BLACK = {0.0, 0.0, 0.0};

void ScanEmbers()
{
    ScratchImage scratch;
    if (CreateScratchImage(&scratch)) {
        CopyLogsPictureInto(scratch.context);
        ScanScratchImage(&scratch, FUEL_TEST_EMBER);
    }
    ReleaseScratchImage(&scratch);
}

}  // namespace

void SetUpBonfireCanvas(HWND window)
{
    FlameCanvas& canvas = flameCanvas;
    // Without a picture there is no size: the canvas stays empty and black.
    BITMAP picture = {};
    bool havePicture =
        canvasSurface.logsPicture && GetObjectA(canvasSurface.logsPicture, sizeof picture, &picture) != 0;
    canvas.backgroundColour = BLACK;
    ReleaseCanvasSurface();
    ResetCanvasForSetUp();
    SizeBonfireCanvas(havePicture, picture.bmWidth, picture.bmHeight);

    CreateCanvasSurface(window);
    bool buffersReady = InitFlameBuffers();
    SeedNoiseFromClock();
    FinishCanvasSetUp();
    if (havePicture && buffersReady && canvas.pixels) {
        ReadLogsPixels();
        ScanEmbers();
    }
    canvas.coolMask = CoolMaskForLevel(canvas.level);
    PlaceCanvasAtStart(flameCanvas.clientWidth, flameCanvas.clientHeight);
}

// A section keeps the picture's own colours: a bitmap converted to a 16-bit
// display would no longer hold the exact ember colour.
HBITMAP LoadLogsPicture()
{
    return static_cast<HBITMAP>(
        LoadImageA(SaverModuleInstance(), MAKEINTRESOURCEA(IDB_LOGS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}
