// A canvas built by the saver's own sequence, its surface an ordinary pixel
// buffer, with nothing drawn and no logs.
#ifndef TAMBLORN_CANVAS_FIXTURE_H
#define TAMBLORN_CANVAS_FIXTURE_H

#include <gtest/gtest.h>

#include <vector>

#include "saver_canvas.h"
#include "saver_settings.h"

struct NativeCanvas {
    std::vector<uint32_t> pixels;
};

inline NativeCanvas* fixtureSurface;

inline uint32_t* MakeFixtureSurface(int32_t width, int32_t height)
{
    fixtureSurface->pixels.assign(width > 0 && height > 0 ? static_cast<size_t>(width) * height : 0, 0);
    return fixtureSurface->pixels.empty() ? nullptr : fixtureSurface->pixels.data();
}

const CanvasPlatform FIXTURE_PLATFORM = {MakeFixtureSurface, nullptr, nullptr, nullptr, nullptr, nullptr};

inline void BuildNativeCanvas(NativeCanvas* surface, int width, int height)
{
    FreeFlameBuffers();
    flameCanvas = FlameCanvas();
    saverSettings = SaverSettings{"", DEFAULT_FONT_SIZE, DEFAULT_FLAME_LIMIT, DEFAULT_LOOP, FIRE_TEXT};
    fixtureSurface = surface;
    ASSERT_TRUE(BuildCanvasOfSize(FIXTURE_PLATFORM, width, height) || width <= 0 || height <= 0);
}

#endif
