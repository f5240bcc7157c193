#include "flame_canvas.h"

namespace {

bool PassesFuelTest(uint32_t pixel, FuelTest test)
{
    return test == FUEL_TEST_EMBER ? pixel == EMBER_PIXEL : pixel != 0;
}

}  // namespace

void ScanFuelPoints(FlameCanvas& canvas, uint32_t* scratchPixels, FuelTest test)
{
    const int width = canvas.width;
    const int height = canvas.height;
    if (!scratchPixels || !canvas.fuel || width < 3 || height < 3)
        return;
    const int64_t total = static_cast<int64_t>(width) * height;
    // Each point suppresses the two pixels to its right and the two below it,
    // which thins solid shapes into a sparse diagonal lattice.
    const int64_t suppressed[] = {1, 2, width, 2 * static_cast<int64_t>(width)};
    for (int y = 1; y <= height - 2; ++y) {
        for (int x = 1; x <= width - 2; ++x) {
            int64_t i = static_cast<int64_t>(y) * width + x;
            if (!PassesFuelTest(scratchPixels[i], test))
                continue;
            canvas.fuel[i] = FUEL_VALUE;
            for (int64_t offset : suppressed)
                if (i + offset < total)
                    scratchPixels[i + offset] = 0;
        }
    }
}

int32_t CountFuelPoints(const FlameCanvas& canvas)
{
    int32_t count = 0;
    for (int32_t i = 0; canvas.fuel && i < canvas.cellCount; ++i)
        count += canvas.fuel[i] != 0;
    return count;
}
