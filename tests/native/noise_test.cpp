#include <gtest/gtest.h>

#include "flame_canvas.h"

TEST(NoiseGenerator, SeedZeroFillsTheSlotsAndDrawsAsWorked)
{
    NoiseGenerator generator = {};
    SeedNoise(generator, 0);
    const NoiseGenerator& noise = generator;
    EXPECT_EQ(noise.words[54], 0x000008FCu);
    EXPECT_EQ(noise.words[53], 0x00005719u);
    EXPECT_EQ(noise.words[30], 0xFFFFD91Bu);
    EXPECT_EQ(noise.words[0], 0xFFFFEA27u);
    EXPECT_EQ(noise.takeIndex, 54);
    EXPECT_EQ(noise.lagIndex, 30);
    const uint32_t draws[] = {0x000008FC, 0x00005719, 0xFFFFAA8D, 0x0000463C, 0x00003D36, 0xFFFFEC52};
    for (uint32_t expected : draws)
        EXPECT_EQ(NextNoise(generator), expected);
    EXPECT_EQ(noise.takeIndex, 48);
    EXPECT_EQ(noise.lagIndex, 24);
}

TEST(NoiseGenerator, SeedOneDrawsAsWorkedAndIndexesWrapTogether)
{
    NoiseGenerator generator = {};
    SeedNoise(generator, 1);
    const uint32_t draws[] = {0x000027E0, 0x00004259, 0x0000187C, 0xFFFF9877};
    for (uint32_t expected : draws)
        EXPECT_EQ(NextNoise(generator), expected);
    // Both indexes step down together and wrap from 0 to 54.
    for (int draw = 0; draw < 200; ++draw) {
        NextNoise(generator);
        const NoiseGenerator& noise = generator;
        ASSERT_GE(noise.takeIndex, 0);
        ASSERT_LE(noise.takeIndex, 54);
        ASSERT_EQ((noise.takeIndex - noise.lagIndex + NOISE_WORDS) % NOISE_WORDS, 24);
    }
}
