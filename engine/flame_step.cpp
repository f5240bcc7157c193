#include "flame_canvas.h"
#include "saver_settings.h"

namespace {

const uint32_t NOISE_LOW_BITS = 0xFFFF;

int ClampedFlameLimit()
{
    int limit = saverSettings.flameLimit;
    if (limit < 0)
        return 0;
    return limit > LEVEL_CEILING ? LEVEL_CEILING : limit;
}

}  // namespace

void AdvanceIntensity()
{
    FlameCanvas& canvas = flameCanvas;
    if (++canvas.levelTicks <= LEVEL_PERIOD_TICKS)
        return;
    // A hand-edited limit outside 0..13 would make the shift count or the
    // cooling weight negative, so the level is held within 0..13.
    int limit = ClampedFlameLimit();
    if (!canvas.shrinking) {
        ++canvas.level;
        if (canvas.level > limit) {
            canvas.level = limit;
            if (saverSettings.loop)
                canvas.shrinking = 1;
        }
    } else {
        --canvas.level;
        if (canvas.level < 0) {
            canvas.shrinking = 0;
            canvas.level = 0;
        }
    }
    canvas.levelTicks = 0;
    canvas.coolMask = CoolMaskForLevel(canvas.level);
}

void RunCellPass()
{
    FlameCanvas& canvas = flameCanvas;
    if (!CanvasHasCells())
        return;
    const int stride = canvas.rowStride;
    const int last = canvas.cellCount - stride - 2;
    const int32_t coolMask = canvas.coolMask;
    const HeatPalette& palette = canvas.palette;
    uint8_t* heat = canvas.heat;
    const uint8_t* fuel = canvas.fuel;
    uint32_t* pixels = canvas.pixels;
    for (int i = stride + 1; i <= last; ++i) {
        uint32_t cooling = NextNoise();
        int32_t sum = heat[i + stride] + heat[i - 1] + heat[i + 1] + heat[i - stride] + heat[i];
        int32_t weight = AVERAGING_WEIGHT - (coolMask & static_cast<int32_t>(cooling & NOISE_LOW_BITS));
        heat[i - stride] = static_cast<uint8_t>((sum * weight) >> AVERAGING_SHIFT);
        uint32_t ignition = NextNoise();
        if (fuel[i] > (ignition & IGNITION_MASK))
            heat[i] = IGNITION_HEAT;
        int h = heat[i];
        uint32_t colour = static_cast<uint32_t>(palette.red[h]) << 16 | static_cast<uint32_t>(palette.green[h]) << 8 |
                          palette.blue[h];
        if (colour != 0)
            pixels[i] = colour;
    }
}

void StepFlames(HWND window)
{
    AdvanceIntensity();
    if (saverSettings.fireMode == FIRE_BONFIRE)
        CopyLogsPictureIntoCanvas();
    ++flameCanvas.frameCount;
    RunCellPass();
    RepaintEffectWindow(window);
}
