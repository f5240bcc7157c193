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

void StepFlames(HWND window)
{
    AdvanceIntensity();
    if (saverSettings.fireMode == FIRE_BONFIRE)
        CopyLogsPictureIntoCanvas();
    ++flameCanvas.frameCount;
    RunCellPass();
    RepaintEffectWindow(window);
}
