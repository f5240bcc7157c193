#include <cstring>

#include "flame_canvas.h"
#include "saver_settings.h"

namespace {

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

// The logs stand below the headroom, clipped to the canvas like a copy of the
// picture onto the surface would be.
void PasteLogsInto(uint32_t* pixels)
{
    const FlameCanvas& canvas = flameCanvas;
    if (!canvas.logsPixels || !pixels || canvas.logsWidth <= 0)
        return;
    int32_t columns = canvas.logsWidth < canvas.width ? canvas.logsWidth : canvas.width;
    int32_t rows = canvas.height - FLAME_HEADROOM;
    if (canvas.logsHeight < rows)
        rows = canvas.logsHeight;
    for (int32_t row = 0; row < rows; ++row)
        memcpy(pixels + static_cast<int64_t>(FLAME_HEADROOM + row) * canvas.width,
               canvas.logsPixels + static_cast<int64_t>(row) * canvas.logsWidth, columns * sizeof(uint32_t));
}

void PasteLogsPicture()
{
    PasteLogsInto(flameCanvas.pixels);
}

void StepFlameCanvas()
{
    AdvanceIntensity();
    if (saverSettings.fireMode == FIRE_BONFIRE)
        PasteLogsPicture();
    ++flameCanvas.frameCount;
    RunCellPass();
}
