// The cell pass as the sequential in-place loop that defines it: what every
// faster variant must reproduce bit for bit.
#include "cell_pass.h"
#include "test_hooks.h"

namespace {

const uint32_t NOISE_LOW_BITS = 0xFFFF;

}  // namespace

void RunCellPassReference(FlameCanvas& canvas)
{
    if (!CanvasHasCells(canvas))
        return;
    const int stride = canvas.rowStride;
    const int last = canvas.cellCount - stride - 2;
    const int32_t coolMask = canvas.coolMask;
    const HeatPalette& palette = canvas.palette;
    uint8_t* heat = canvas.heat;
    const uint8_t* fuel = canvas.fuel;
    uint32_t* pixels = canvas.pixels;
    for (int i = stride + 1; i <= last; ++i) {
        uint32_t cooling = NextNoise(canvas.noise);
        int32_t sum = heat[i + stride] + heat[i - 1] + heat[i + 1] + heat[i - stride] + heat[i];
        int32_t weight = AVERAGING_WEIGHT - (coolMask & static_cast<int32_t>(cooling & NOISE_LOW_BITS));
        heat[i - stride] = static_cast<uint8_t>((sum * weight) >> AVERAGING_SHIFT);
        uint32_t ignition = NextNoise(canvas.noise);
        if (fuel[i] > (ignition & IGNITION_MASK))
            heat[i] = IGNITION_HEAT;
        int h = heat[i];
        uint32_t colour = static_cast<uint32_t>(palette.red[h]) << 16 | static_cast<uint32_t>(palette.green[h]) << 8 |
                          palette.blue[h];
        if (colour != 0)
            pixels[i] = colour;
    }
}
