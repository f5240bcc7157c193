// The records a test of the core works on: a canvas built by the saver's own
// sequence, its surface an ordinary pixel buffer, with nothing drawn and no
// logs, the settings before any file is read, and no monitors. Each test
// builds its own; the canvas's buffers are freed with the record.
#ifndef TAMBLORN_CANVAS_FIXTURE_H
#define TAMBLORN_CANVAS_FIXTURE_H

#include <gtest/gtest.h>

#include <vector>

#include "saver_canvas.h"
#include "saver_settings.h"

struct TestCanvas {
    FlameCanvas canvas = {};
    SaverSettings settings = STARTING_SETTINGS;
    MonitorLayout monitors = {};
    std::vector<uint32_t> pixels;

    TestCanvas() = default;
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;
    ~TestCanvas() { FreeFlameBuffers(canvas); }
};

// A fresh canvas of the size, as a set-up builds it, with fresh settings.
inline void BuildNativeCanvas(TestCanvas* test, int width, int height)
{
    auto makeSurface = [](void* context, int32_t columns, int32_t rows) -> uint32_t* {
        std::vector<uint32_t>& pixels = static_cast<TestCanvas*>(context)->pixels;
        pixels.assign(columns > 0 && rows > 0 ? static_cast<size_t>(columns) * rows : 0, 0);
        return pixels.empty() ? nullptr : pixels.data();
    };
    FreeFlameBuffers(test->canvas);
    test->canvas = FlameCanvas();
    test->settings = STARTING_SETTINGS;
    const CanvasPlatform platform = {test, makeSurface, nullptr, nullptr, nullptr, nullptr, nullptr};
    ASSERT_TRUE(BuildCanvasOfSize(test->canvas, platform, width, height) || width <= 0 || height <= 0);
}

#endif
