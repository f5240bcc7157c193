#include <gtest/gtest.h>

#include <vector>

#include "canvas_fixture.h"

namespace {

const int PERIOD = LEVEL_PERIOD_TICKS + 1;

// The level of each of the next `periods` 31-tick periods of a fresh cycle.
std::vector<int> LevelsOverPeriods(TestCanvas& surface, int limit, int loop, int periods)
{
    surface.canvas.level = 0;
    surface.canvas.levelTicks = 0;
    surface.canvas.shrinking = 0;
    surface.canvas.coolMask = CoolMaskForLevel(0);
    surface.settings.flameLimit = limit;
    surface.settings.loop = loop;
    std::vector<int> levels;
    for (int period = 0; period < periods; ++period) {
        for (int tick = 0; tick < PERIOD; ++tick)
            AdvanceIntensity(surface.canvas, surface.settings);
        levels.push_back(surface.canvas.level);
        EXPECT_EQ(surface.canvas.levelTicks, 0);
    }
    return levels;
}

}  // namespace

TEST(IntensityCycle, LevelZeroLastsThirtyTicksThenGrowsEveryThirtyOne)
{
    TestCanvas surface;
    surface.canvas = FlameCanvas();
    surface.settings.flameLimit = 12;
    surface.settings.loop = 0;
    for (int tick = 1; tick <= 30; ++tick) {
        AdvanceIntensity(surface.canvas, surface.settings);
        ASSERT_EQ(surface.canvas.level, 0) << "tick " << tick;
    }
    AdvanceIntensity(surface.canvas, surface.settings);
    EXPECT_EQ(surface.canvas.level, 1);
    EXPECT_EQ(surface.canvas.coolMask, 4095);
}

TEST(IntensityCycle, SchedulesForLimitTwelveAndZero)
{
    TestCanvas surface;
    EXPECT_EQ(LevelsOverPeriods(surface, 12, 0, 15), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 12, 12, 12}));
    // With loop each end value is held for two periods; a cycle is 26 periods.
    EXPECT_EQ(LevelsOverPeriods(surface, 12, 1, 27), (std::vector<int>{1,  2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 12, 11,
                                                              10, 9, 8, 7, 6, 5, 4, 3, 2, 1,  0,  0,  1}));
    EXPECT_EQ(LevelsOverPeriods(surface, 0, 0, 4), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(LevelsOverPeriods(surface, 0, 1, 4), (std::vector<int>{0, 0, 0, 0}));
}

TEST(IntensityCycle, HandEditedLimitsStayWithinTheLevelRange)
{
    TestCanvas surface;
    EXPECT_EQ(LevelsOverPeriods(surface, 20, 0, 16),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 13, 13, 13}));
    EXPECT_EQ(surface.canvas.coolMask, 0);
    std::vector<int> looping = LevelsOverPeriods(surface, 20, 1, 30);
    EXPECT_EQ(std::vector<int>(looping.begin() + 12, looping.begin() + 15), (std::vector<int>{13, 13, 12}));

    EXPECT_EQ(LevelsOverPeriods(surface, -3, 0, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(LevelsOverPeriods(surface, -3, 1, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(surface.canvas.coolMask, INITIAL_COOL_MASK);
}
