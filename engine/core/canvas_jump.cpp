#include "flame_canvas.h"

namespace {

const uint32_t JUMP_MULTIPLIER = 214013;
const uint32_t JUMP_INCREMENT = 2531011;
const int JUMP_DRAW_MASK = 0x7FFF;

int32_t JumpAxis(FlameCanvas& canvas, int32_t clientSize, int32_t canvasSize)
{
    int32_t span = clientSize - canvasSize;
    int32_t draw = JumpRandom(canvas);
    // A canvas that exactly fills the axis has nowhere to go.
    return span == 0 ? 0 : draw % span;
}

bool SeveralMonitors(const MonitorLayout& monitors)
{
    return monitors.count > 1;
}

int32_t BoxWidth(const MonitorBox& box)
{
    return box.right - box.left;
}

int32_t BoxHeight(const MonitorBox& box)
{
    return box.bottom - box.top;
}

bool CanvasFits(const FlameCanvas& canvas, const MonitorBox& box)
{
    return canvas.width <= BoxWidth(box) && canvas.height <= BoxHeight(box);
}

// One draw picks the monitor among those that hold the whole canvas (among
// all of them when none does).
const MonitorBox& DrawMonitor(FlameCanvas& canvas, const MonitorLayout& monitors)
{
    int fitting = 0;
    for (int i = 0; i < monitors.count; ++i)
        fitting += CanvasFits(canvas, monitors.boxes[i]);
    bool onlyFitting = fitting > 0;
    int candidates = onlyFitting ? fitting : monitors.count;
    int chosen = JumpRandom(canvas) % candidates;
    for (int i = 0; i < monitors.count; ++i) {
        if (onlyFitting && !CanvasFits(canvas, monitors.boxes[i]))
            continue;
        if (chosen-- == 0)
            return monitors.boxes[i];
    }
    return monitors.boxes[0];
}

}  // namespace

void SeedJumpRandom(FlameCanvas& canvas, uint32_t seed)
{
    canvas.jumpRandomState = seed;
}

// The same linear congruential sequence as the C runtime's rand, kept here
// so that the jumps are identical on every build.
int JumpRandom(FlameCanvas& canvas)
{
    uint32_t& state = canvas.jumpRandomState;
    state = state * JUMP_MULTIPLIER + JUMP_INCREMENT;
    return static_cast<int>(state >> 16) & JUMP_DRAW_MASK;
}

void PlaceCanvasAtStart(FlameCanvas& canvas, const MonitorLayout& monitors, int32_t clientWidth,
                        int32_t clientHeight)
{
    if (!SeveralMonitors(monitors)) {
        CentreCanvas(canvas, clientWidth, clientHeight);
        return;
    }
    const MonitorBox& primary = monitors.boxes[monitors.primary];
    CentreCanvas(canvas, BoxWidth(primary), BoxHeight(primary));
    canvas.originX += primary.left;
    canvas.originY += primary.top;
}

void JumpCanvas(FlameCanvas& canvas, const MonitorLayout& monitors, int32_t clientWidth, int32_t clientHeight)
{
    if (SeveralMonitors(monitors)) {
        const MonitorBox& box = DrawMonitor(canvas, monitors);
        canvas.originX = box.left + JumpAxis(canvas, BoxWidth(box), canvas.width);
        canvas.originY = box.top + JumpAxis(canvas, BoxHeight(box), canvas.height);
    } else {
        canvas.originX = JumpAxis(canvas, clientWidth, canvas.width);
        canvas.originY = JumpAxis(canvas, clientHeight, canvas.height);
    }
    canvas.frameCount = 0;
}
