#include <gtest/gtest.h>

#include "canvas_fixture.h"
#include "test_hooks.h"

namespace {

void SizeCanvas(int width, int height)
{
    flameCanvas = FlameCanvas();
    flameCanvas.width = width;
    flameCanvas.height = height;
}

}  // namespace

TEST(CanvasOrigin, CentresWithDivisionTowardZero)
{
    SizeCanvas(320, 232);
    CentreCanvas(1024, 768);
    EXPECT_EQ(flameCanvas.originX, 352);
    EXPECT_EQ(flameCanvas.originY, 268);
    CentreCanvas(152, 112);
    EXPECT_EQ(flameCanvas.originX, -84);
    EXPECT_EQ(flameCanvas.originY, -60);
    CentreCanvas(151, 112);
    EXPECT_EQ(flameCanvas.originX, -84);  // -169 / 2, not -85
    SizeCanvas(286, 306);
    CentreCanvas(1024, 768);
    EXPECT_EQ(flameCanvas.originX, 369);
    EXPECT_EQ(flameCanvas.originY, 231);
    CentreCanvas(152, 112);
    EXPECT_EQ(flameCanvas.originX, -67);
    EXPECT_EQ(flameCanvas.originY, -97);
}

TEST(CanvasJump, FollowsTheRuntimeSequenceXFirst)
{
    SeedJumpRandom(1);
    EXPECT_EQ(JumpRandom(), 41);
    EXPECT_EQ(JumpRandom(), 18467);
    EXPECT_EQ(JumpRandom(), 6334);
    EXPECT_EQ(JumpRandom(), 26500);

    SeedJumpRandom(1);
    SizeCanvas(320, 232);
    flameCanvas.frameCount = 101;
    JumpCanvas(1024, 768);
    EXPECT_EQ(flameCanvas.originX, 41);
    EXPECT_EQ(flameCanvas.originY, 243);
    EXPECT_EQ(flameCanvas.frameCount, 0u);
    JumpCanvas(1024, 768);
    EXPECT_EQ(flameCanvas.originX, 702);
    EXPECT_EQ(flameCanvas.originY, 236);
}

TEST(CanvasJump, StaysInsideTheSpanEvenWhenTheCanvasIsLarger)
{
    SeedJumpRandom(1);
    SizeCanvas(320, 232);
    for (int jump = 0; jump < 500; ++jump) {
        JumpCanvas(152, 112);
        ASSERT_GE(flameCanvas.originX, 0);
        ASSERT_LE(flameCanvas.originX, 167);
        ASSERT_GE(flameCanvas.originY, 0);
        ASSERT_LE(flameCanvas.originY, 119);
    }
}

TEST(CanvasJump, AnAxisTheCanvasExactlyFillsStaysAtZero)
{
    SeedJumpRandom(1);
    SizeCanvas(320, 232);
    JumpCanvas(320, 768);
    EXPECT_EQ(flameCanvas.originX, 0);
    EXPECT_EQ(flameCanvas.originY, 243);  // the x draw is still taken
    JumpCanvas(1024, 232);
    EXPECT_EQ(flameCanvas.originX, 702);
    EXPECT_EQ(flameCanvas.originY, 0);
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

bool InsideBox(const MonitorBox& box)
{
    return flameCanvas.originX >= box.left && flameCanvas.originY >= box.top &&
           flameCanvas.originX + flameCanvas.width <= box.right &&
           flameCanvas.originY + flameCanvas.height <= box.bottom;
}

}  // namespace

TEST(CanvasJump, SeveralMonitorsStartOnThePrimaryAndJumpWhollyInsideOne)
{
    const LayoutCase cases[] = {
        {"side by side", 320, 232, {2, 0, {{0, 0, 1024, 768}, {1024, 0, 1824, 600}}}, 352, 268, true},
        {"second left of the primary", 320, 232, {2, 1, {{0, 0, 1024, 768}, {1024, 0, 2048, 768}}}, 1376, 268, true},
        {"stacked", 286, 306, {3, 2, {{0, 0, 800, 600}, {0, 600, 1280, 1624}, {800, 0, 1600, 600}}}, 1057, 147, true},
        {"too wide for the small one", 900, 232, {2, 0, {{0, 0, 1024, 768}, {1024, 0, 1824, 600}}}, 62, 268, false},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        SizeCanvas(c.canvasWidth, c.canvasHeight);
        monitorLayout = c.layout;
        PlaceCanvasAtStart(5000, 5000);
        EXPECT_EQ(flameCanvas.originX, c.startX);
        EXPECT_EQ(flameCanvas.originY, c.startY);
        SeedJumpRandom(1);
        bool used[MONITOR_LIMIT] = {};
        for (int jump = 0; jump < 500; ++jump) {
            JumpCanvas(5000, 5000);
            int holding = -1;
            for (int i = 0; i < c.layout.count; ++i)
                if (InsideBox(c.layout.boxes[i]))
                    holding = i;
            ASSERT_GE(holding, 0) << "jump " << jump << " to " << flameCanvas.originX << ", " << flameCanvas.originY;
            used[holding] = true;
        }
        for (int i = 0; i < c.layout.count; ++i)
            EXPECT_EQ(used[i], c.everyMonitorUsed || i == 0) << "monitor " << i;
    }
    // One draw picks the monitor, then x and y as on a single screen:
    // 41 % 2 picks the second, 18467 % 480 and 6334 % 368 place the canvas.
    SizeCanvas(320, 232);
    monitorLayout = cases[0].layout;
    SeedJumpRandom(1);
    JumpCanvas(1824, 768);
    EXPECT_EQ(flameCanvas.originX, 1024 + 227);
    EXPECT_EQ(flameCanvas.originY, 78);
    // One monitor reported: the client area alone, as before.
    monitorLayout = {1, 0, {{0, 0, 800, 600}}};
    PlaceCanvasAtStart(1024, 768);
    EXPECT_EQ(flameCanvas.originX, 352);
    SeedJumpRandom(1);
    JumpCanvas(1024, 768);
    EXPECT_EQ(flameCanvas.originX, 41);
    EXPECT_EQ(flameCanvas.originY, 243);
    monitorLayout = MonitorLayout();
}
