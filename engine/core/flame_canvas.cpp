#include "flame_canvas.h"

#include <cstdlib>

namespace {

const int PALETTE_KEY_COUNT = 4;

struct PaletteKey {
    int position;
    int red;
    int green;
    int blue;
};

// Black, red, yellow, white.
const PaletteKey paletteKeys[PALETTE_KEY_COUNT] = {
    {0, 0, 0, 0},
    {31, 255, 0, 0},
    {63, 255, 255, 0},
    {127, 255, 255, 255},
};

uint8_t Interpolate(int from, int to, int heat, int start, int end)
{
    return static_cast<uint8_t>(from + (to - from) * (heat - start) / (end - start));
}

// The cell total of a canvas, or -1 when a side is negative or the product
// does not fit the signed 32-bit cell index.
int64_t CellTotal(int32_t width, int32_t height)
{
    if (width < 0 || height < 0)
        return -1;
    int64_t total = static_cast<int64_t>(width) * height;
    return total > INT32_MAX ? -1 : total;
}

}  // namespace

void BuildHeatPalette(HeatPalette* palette)
{
    int key = -1;
    for (int heat = 0; heat < HEAT_LEVELS; ++heat) {
        const PaletteKey& next = paletteKeys[key + 1];
        if (heat == next.position) {
            ++key;
            palette->red[heat] = static_cast<uint8_t>(next.red);
            palette->green[heat] = static_cast<uint8_t>(next.green);
            palette->blue[heat] = static_cast<uint8_t>(next.blue);
            continue;
        }
        const PaletteKey& from = paletteKeys[key];
        palette->red[heat] = Interpolate(from.red, next.red, heat, from.position, next.position);
        palette->green[heat] = Interpolate(from.green, next.green, heat, from.position, next.position);
        palette->blue[heat] = Interpolate(from.blue, next.blue, heat, from.position, next.position);
    }
}

uint32_t HeatPixel(const HeatPalette* palette, int heat)
{
    return static_cast<uint32_t>(palette->red[heat]) << 16 | static_cast<uint32_t>(palette->green[heat]) << 8 |
           palette->blue[heat];
}

uint32_t ColourToPlatform(ColourTriple colour)
{
    uint32_t red = static_cast<uint32_t>(static_cast<int32_t>(colour.red)) & 0xFF;
    uint32_t green = static_cast<uint32_t>(static_cast<int32_t>(colour.green)) & 0xFF;
    uint32_t blue = static_cast<uint32_t>(static_cast<int32_t>(colour.blue)) & 0xFF;
    return red | green << 8 | blue << 16;
}

bool InitFlameBuffers(FlameCanvas& canvas)
{
    BuildHeatPalette(&canvas.palette);
    canvas.heat = nullptr;
    canvas.fuel = nullptr;
    int64_t total = CellTotal(canvas.width, canvas.height);
    if (total < 0)
        return false;
    if (total == 0)
        return true;
    canvas.heat = static_cast<uint8_t*>(calloc(static_cast<size_t>(total), 1));
    if (!canvas.heat)
        return false;
    canvas.fuel = static_cast<uint8_t*>(calloc(static_cast<size_t>(total), 1));
    return canvas.fuel != nullptr;
}

void FreeFlameBuffers(FlameCanvas& canvas)
{
    free(canvas.heat);
    free(canvas.fuel);
    canvas.heat = nullptr;
    canvas.fuel = nullptr;
}

bool CanvasHasCells(const FlameCanvas& canvas)
{
    int64_t total = CellTotal(canvas.width, canvas.height);
    return total > 0 && canvas.cellCount == total && canvas.rowStride == canvas.width && canvas.heat && canvas.fuel &&
           canvas.pixels;
}

// A set-up may follow an earlier one in the same process: its buffers are
// freed here, and its surface by the platform side before (ReleaseCanvasSurface),
// never just dropped.
void ResetCanvasForSetUp(FlameCanvas& canvas)
{
    FreeFlameBuffers(canvas);
    canvas.originX = 0;
    canvas.originY = 0;
}

// Each byte of the text is a cell of fontSize x fontSize pixels, and the
// headroom adds rows for the flames above and below.
void SizeTextCanvas(FlameCanvas& canvas, int32_t textBytes, int32_t fontSize)
{
    canvas.width = textBytes * fontSize;
    canvas.height = fontSize + FLAME_HEADROOM;
}

// The picture with the headroom above it; without a picture there is no size.
void SizeBonfireCanvas(FlameCanvas& canvas, bool havePicture, int32_t pictureWidth, int32_t pictureHeight)
{
    canvas.width = havePicture ? pictureWidth : 0;
    canvas.height = havePicture ? pictureHeight + FLAME_HEADROOM : 0;
}

void FinishCanvasSetUp(FlameCanvas& canvas)
{
    canvas.cellCount = CellTotal(canvas.width, canvas.height) < 0 ? 0 : canvas.width * canvas.height;
    canvas.rowStride = canvas.width;
    canvas.level = 0;
    canvas.shrinking = 0;
}

int CoolMaskForLevel(int level)
{
    return (1 << (LEVEL_CEILING - level)) - 1;
}

void CentreCanvas(FlameCanvas& canvas, int32_t clientWidth, int32_t clientHeight)
{
    canvas.originX = (clientWidth - canvas.width) / 2;
    canvas.originY = (clientHeight - canvas.height) / 2;
}
