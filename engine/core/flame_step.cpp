#include <cstring>

#include "flame_canvas.h"
#include "saver_settings.h"

namespace {

int ClampedFlameLimit(const SaverSettings& settings)
{
    int limit = settings.flameLimit;
    if (limit < 0)
        return 0;
    return limit > LEVEL_CEILING ? LEVEL_CEILING : limit;
}

}  // namespace

void AdvanceIntensity(FlameCanvas& canvas, const SaverSettings& settings)
{
    if (++canvas.levelTicks <= LEVEL_PERIOD_TICKS)
        return;
    // A hand-edited limit outside 0..13 would make the shift count or the
    // cooling weight negative, so the level is held within 0..13.
    int limit = ClampedFlameLimit(settings);
    if (!canvas.shrinking) {
        ++canvas.level;
        if (canvas.level > limit) {
            canvas.level = limit;
            if (settings.loop)
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
void PasteLogsInto(const FlameCanvas& canvas, uint32_t* pixels)
{
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

void PasteLogsPicture(FlameCanvas& canvas)
{
    PasteLogsInto(canvas, canvas.pixels);
}

void StepFlameCanvas(FlameCanvas& canvas, const SaverSettings& settings)
{
    AdvanceIntensity(canvas, settings);
    if (settings.fireMode == FIRE_BONFIRE)
        PasteLogsPicture(canvas);
    ++canvas.frameCount;
    RunCellPass(canvas);
}
