#include "flame_canvas.h"

namespace {

const uint32_t JUMP_MULTIPLIER = 214013;
const uint32_t JUMP_INCREMENT = 2531011;
const int JUMP_DRAW_MASK = 0x7FFF;

// The same linear congruential sequence as the C runtime's rand, kept here
// so that the jumps are identical on every build.
uint32_t jumpRandomState = 1;

int32_t JumpAxis(int32_t clientSize, int32_t canvasSize)
{
    int32_t span = clientSize - canvasSize;
    int32_t draw = JumpRandom();
    // A canvas that exactly fills the axis has nowhere to go.
    return span == 0 ? 0 : draw % span;
}

}  // namespace

void SeedJumpRandom(uint32_t seed)
{
    jumpRandomState = seed;
}

int JumpRandom()
{
    jumpRandomState = jumpRandomState * JUMP_MULTIPLIER + JUMP_INCREMENT;
    return static_cast<int>(jumpRandomState >> 16) & JUMP_DRAW_MASK;
}

void JumpCanvas(int32_t clientWidth, int32_t clientHeight)
{
    flameCanvas.originX = JumpAxis(clientWidth, flameCanvas.width);
    flameCanvas.originY = JumpAxis(clientHeight, flameCanvas.height);
    flameCanvas.frameCount = 0;
}
