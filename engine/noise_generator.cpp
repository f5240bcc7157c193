#include "flame_canvas.h"

namespace {

uint32_t WarmStep(uint32_t a)
{
    return (a + 1) * (a + 4);
}

int StepDown(int index)
{
    return index == 0 ? NOISE_WORDS - 1 : index - 1;
}

}  // namespace

void SeedNoise(uint32_t seed)
{
    NoiseGenerator& noise = flameCanvas.noise;
    uint32_t a = seed;
    for (int round = 0; round < NOISE_WORDS; ++round)
        a = WarmStep(a);
    for (int slot = NOISE_WORDS - 1; slot >= 0; --slot) {
        noise.words[slot] = static_cast<uint32_t>(static_cast<int32_t>(a) >> 16);
        a = WarmStep(a);
    }
    noise.takeIndex = NOISE_TAKE_START;
    noise.lagIndex = NOISE_LAG_START;
}

uint32_t NextNoise()
{
    NoiseGenerator& noise = flameCanvas.noise;
    uint32_t value = noise.words[noise.takeIndex];
    noise.words[noise.takeIndex] = value + noise.words[noise.lagIndex];
    noise.takeIndex = StepDown(noise.takeIndex);
    noise.lagIndex = StepDown(noise.lagIndex);
    return value;
}
