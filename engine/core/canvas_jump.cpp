#include "flame_canvas.h"
#include "test_hooks.h"

MonitorLayout monitorLayout;

namespace {

const uint32_t JUMP_MULTIPLIER = 214013;
const uint32_t JUMP_INCREMENT = 2531011;
const int JUMP_DRAW_MASK = 0x7FFF;

int32_t JumpAxis(int32_t clientSize, int32_t canvasSize)
{
    int32_t span = clientSize - canvasSize;
    int32_t draw = JumpRandom();
    // A canvas that exactly fills the axis has nowhere to go.
    return span == 0 ? 0 : draw % span;
}

bool SeveralMonitors()
{
    return monitorLayout.count > 1;
}

int32_t BoxWidth(const MonitorBox& box)
{
    return box.right - box.left;
}

int32_t BoxHeight(const MonitorBox& box)
{
    return box.bottom - box.top;
}

bool CanvasFits(const MonitorBox& box)
{
    return flameCanvas.width <= BoxWidth(box) && flameCanvas.height <= BoxHeight(box);
}

// One draw picks the monitor among those that hold the whole canvas (among
// all of them when none does).
const MonitorBox& DrawMonitor()
{
    int fitting = 0;
    for (int i = 0; i < monitorLayout.count; ++i)
        fitting += CanvasFits(monitorLayout.boxes[i]);
    bool onlyFitting = fitting > 0;
    int candidates = onlyFitting ? fitting : monitorLayout.count;
    int chosen = JumpRandom() % candidates;
    for (int i = 0; i < monitorLayout.count; ++i) {
        if (onlyFitting && !CanvasFits(monitorLayout.boxes[i]))
            continue;
        if (chosen-- == 0)
            return monitorLayout.boxes[i];
    }
    return monitorLayout.boxes[0];
}

}  // namespace

void SeedJumpRandom(uint32_t seed)
{
    flameCanvas.jumpRandomState = seed;
}

// The same linear congruential sequence as the C runtime's rand, kept here
// so that the jumps are identical on every build.
int JumpRandom()
{
    uint32_t& state = flameCanvas.jumpRandomState;
    state = state * JUMP_MULTIPLIER + JUMP_INCREMENT;
    return static_cast<int>(state >> 16) & JUMP_DRAW_MASK;
}

void PlaceCanvasAtStart(int32_t clientWidth, int32_t clientHeight)
{
    if (!SeveralMonitors()) {
        CentreCanvas(clientWidth, clientHeight);
        return;
    }
    const MonitorBox& primary = monitorLayout.boxes[monitorLayout.primary];
    CentreCanvas(BoxWidth(primary), BoxHeight(primary));
    flameCanvas.originX += primary.left;
    flameCanvas.originY += primary.top;
}

void JumpCanvas(int32_t clientWidth, int32_t clientHeight)
{
    if (SeveralMonitors()) {
        const MonitorBox& box = DrawMonitor();
        flameCanvas.originX = box.left + JumpAxis(BoxWidth(box), flameCanvas.width);
        flameCanvas.originY = box.top + JumpAxis(BoxHeight(box), flameCanvas.height);
    } else {
        flameCanvas.originX = JumpAxis(clientWidth, flameCanvas.width);
        flameCanvas.originY = JumpAxis(clientHeight, flameCanvas.height);
    }
    flameCanvas.frameCount = 0;
}
