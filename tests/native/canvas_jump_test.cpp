#include <gtest/gtest.h>

#include "canvas_fixture.h"
#include "test_hooks.h"

namespace {

void SizeCanvas(TestCanvas& surface, int width, int height)
{
    surface.canvas = FlameCanvas();
    surface.canvas.width = width;
    surface.canvas.height = height;
}

}  // namespace

// -169 / 2 is -84, not -85. A start on one monitor reported is a start on the client area alone.
TEST(CanvasOrigin, CentresWithDivisionTowardZero)
{
    TestCanvas surface;
    SizeCanvas(surface, 320, 232);
    const int cases[][4] = {{1024, 768, 352, 268}, {152, 112, -84, -60}, {151, 112, -84, -60}};
    for (const int* c : cases) {
        CentreCanvas(surface.canvas, c[0], c[1]);
        EXPECT_EQ(std::make_pair(surface.canvas.originX, surface.canvas.originY), std::make_pair(c[2], c[3])) << c[0];
    }
    surface.monitors = {1, 0, {{0, 0, 800, 600}}};
    PlaceCanvasAtStart(surface.canvas, surface.monitors, 1024, 768);
    EXPECT_EQ(std::make_pair(surface.canvas.originX, surface.canvas.originY), std::make_pair(352, 268));
}

// The first two jumps of a fresh process on a 1024 x 768 client; on a client the canvas fills exactly along
// one axis, that axis stays at 0 while its draw is still taken. One monitor reported is the client area alone.
TEST(CanvasJump, FollowsTheRuntimeSequenceXFirst)
{
    TestCanvas surface;
    SeedJumpRandom(surface.canvas, 1);
    EXPECT_EQ(JumpRandom(surface.canvas), 41);
    EXPECT_EQ(JumpRandom(surface.canvas), 18467);
    EXPECT_EQ(JumpRandom(surface.canvas), 6334);
    EXPECT_EQ(JumpRandom(surface.canvas), 26500);

    // Each jump: the client's width and height, the canvas's place.
    const int runs[2][2][4] = {{{1024, 768, 41, 243}, {1024, 768, 702, 236}},
                               {{320, 768, 0, 243}, {1024, 232, 702, 0}}};
    for (const MonitorLayout& layout : {MonitorLayout{}, MonitorLayout{1, 0, {{0, 0, 800, 600}}}})
        for (const auto& run : runs) {
            SizeCanvas(surface, 320, 232);
            surface.monitors = layout;
            SeedJumpRandom(surface.canvas, 1);
            surface.canvas.frameCount = 101;
            for (const int* jump : run) {
                JumpCanvas(surface.canvas, surface.monitors, jump[0], jump[1]);
                EXPECT_EQ(std::make_pair(surface.canvas.originX, surface.canvas.originY),
                          std::make_pair(jump[2], jump[3]))
                    << "on " << jump[0] << " x " << jump[1] << " with " << layout.count << " monitors";
                EXPECT_EQ(surface.canvas.frameCount, 0u);
            }
        }
}

TEST(CanvasJump, StaysInsideTheSpanEvenWhenTheCanvasIsLarger)
{
    TestCanvas surface;
    SeedJumpRandom(surface.canvas, 1);
    SizeCanvas(surface, 320, 232);
    for (int jump = 0; jump < 500; ++jump) {
        JumpCanvas(surface.canvas, surface.monitors, 152, 112);
        ASSERT_GE(surface.canvas.originX, 0);
        ASSERT_LE(surface.canvas.originX, 167);
        ASSERT_GE(surface.canvas.originY, 0);
        ASSERT_LE(surface.canvas.originY, 119);
    }
}

namespace {

struct LayoutCase {
    const char* name;
    int canvasWidth;
    int canvasHeight;
    MonitorLayout layout;
    int startX;
    int startY;
    bool everyMonitorUsed;
};

}  // namespace

TEST(CanvasJump, SeveralMonitorsStartOnThePrimaryAndJumpWhollyInsideOne)
{
    TestCanvas surface;
    const LayoutCase cases[] = {
        {"side by side", 320, 232, {2, 0, {{0, 0, 1024, 768}, {1024, 0, 1824, 600}}}, 352, 268, true},
        {"second left of the primary", 320, 232, {2, 1, {{0, 0, 1024, 768}, {1024, 0, 2048, 768}}}, 1376, 268, true},
        {"stacked", 286, 306, {3, 2, {{0, 0, 800, 600}, {0, 600, 1280, 1624}, {800, 0, 1600, 600}}}, 1057, 147, true},
        {"too wide for the small one", 900, 232, {2, 0, {{0, 0, 1024, 768}, {1024, 0, 1824, 600}}}, 62, 268, false},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        SizeCanvas(surface, c.canvasWidth, c.canvasHeight);
        surface.monitors = c.layout;
        PlaceCanvasAtStart(surface.canvas, surface.monitors, 5000, 5000);
        EXPECT_EQ(surface.canvas.originX, c.startX);
        EXPECT_EQ(surface.canvas.originY, c.startY);
        SeedJumpRandom(surface.canvas, 1);
        bool used[MONITOR_LIMIT] = {};
        for (int jump = 0; jump < 500; ++jump) {
            JumpCanvas(surface.canvas, surface.monitors, 5000, 5000);
            int holding = -1;
            for (int i = 0; i < c.layout.count; ++i) {
                const MonitorBox& box = c.layout.boxes[i];
                const FlameCanvas& canvas = surface.canvas;
                if (canvas.originX >= box.left && canvas.originY >= box.top &&
                    canvas.originX + canvas.width <= box.right && canvas.originY + canvas.height <= box.bottom)
                    holding = i;
            }
            ASSERT_GE(holding, 0) << "jump " << jump << " to " << surface.canvas.originX << ", " << surface.canvas.originY;
            used[holding] = true;
        }
        for (int i = 0; i < c.layout.count; ++i)
            EXPECT_EQ(used[i], c.everyMonitorUsed || i == 0) << "monitor " << i;
    }
    // One draw picks the monitor, then x and y as on a single screen:
    // 41 % 2 picks the second, 18467 % 480 and 6334 % 368 place the canvas.
    SizeCanvas(surface, 320, 232);
    surface.monitors = cases[0].layout;
    SeedJumpRandom(surface.canvas, 1);
    JumpCanvas(surface.canvas, surface.monitors, 1824, 768);
    EXPECT_EQ(surface.canvas.originX, 1024 + 227);
    EXPECT_EQ(surface.canvas.originY, 78);
}

// Canvases of one process, as a test or a front end with several keeps them,
// each burn and jump exactly as they would alone.
TEST(SaverCanvas, TwoCanvasesTickAsEachWouldAlone)
{
    const int ticks = 2 * (JUMP_AFTER_FRAMES + 1);
    TestCanvas first, second, firstAlone, secondAlone;
    TestCanvas* canvases[] = {&first, &second, &firstAlone, &secondAlone};
    for (int i = 0; i < 4; ++i) {
        TestCanvas& surface = *canvases[i];
        BuildNativeCanvas(&surface, 24, 16);
        surface.canvas.clientWidth = 640;
        surface.canvas.clientHeight = 480;
        for (int cell = 5 * 24 + 2; cell < 5 * 24 + 20; cell += 3)
            surface.canvas.fuel[cell] = FUEL_VALUE;
        SeedNoise(surface.canvas.noise, i % 2 ? 7 : 3);
        SeedJumpRandom(surface.canvas, i % 2 ? 5 : 1);
    }
    for (int tick = 0; tick < ticks; ++tick)
        for (TestCanvas* surface : {&first, &second})
            TickSaverCanvas(surface->canvas, surface->settings, surface->monitors);
    for (TestCanvas* surface : {&firstAlone, &secondAlone})
        for (int tick = 0; tick < ticks; ++tick)
            TickSaverCanvas(surface->canvas, surface->settings, surface->monitors);
    for (int i = 0; i < 2; ++i) {
        const TestCanvas& together = *canvases[i];
        const TestCanvas& alone = *canvases[i + 2];
        EXPECT_EQ(together.pixels, alone.pixels) << "canvas " << i;
        EXPECT_EQ(std::make_pair(together.canvas.originX, together.canvas.originY),
                  std::make_pair(alone.canvas.originX, alone.canvas.originY))
            << "canvas " << i;
        EXPECT_EQ(together.canvas.noise.takeIndex, alone.canvas.noise.takeIndex) << "canvas " << i;
    }
    EXPECT_NE(first.pixels, second.pixels);
}
