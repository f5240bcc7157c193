// A canvas built the way the set-ups build it, with an ordinary pixel buffer
// in place of the platform surface.
#ifndef TAMBLORN_CANVAS_FIXTURE_H
#define TAMBLORN_CANVAS_FIXTURE_H

#include <gtest/gtest.h>

#include <vector>

#include "flame_canvas.h"
#include "saver_settings.h"

struct NativeCanvas {
    std::vector<uint32_t> pixels;
};

inline void BuildNativeCanvas(NativeCanvas* surface, int width, int height)
{
    FreeFlameBuffers();
    flameCanvas = FlameCanvas();
    saverSettings = SaverSettings{"", DEFAULT_FONT_SIZE, DEFAULT_FLAME_LIMIT, DEFAULT_LOOP, FIRE_TEXT};
    ResetCanvasForSetUp();
    flameCanvas.width = width;
    flameCanvas.height = height;
    surface->pixels.assign(width > 0 && height > 0 ? static_cast<size_t>(width) * height : 0, 0);
    flameCanvas.pixels = surface->pixels.empty() ? nullptr : surface->pixels.data();
    ASSERT_TRUE(InitFlameBuffers());
    FinishCanvasSetUp();
    flameCanvas.coolMask = CoolMaskForLevel(0);
}

#endif
