#include <gtest/gtest.h>

#include "canvas_fixture.h"

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
