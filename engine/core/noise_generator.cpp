#include "cell_pass.h"
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

void SeedNoise(NoiseGenerator& noise, uint32_t seed)
{
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

uint32_t NextNoise(NoiseGenerator& noise)
{
    uint32_t value = noise.words[noise.takeIndex];
    noise.words[noise.takeIndex] = value + noise.words[noise.lagIndex];
    noise.takeIndex = StepDown(noise.takeIndex);
    noise.lagIndex = StepDown(noise.lagIndex);
    return value;
}

void ReadUpcomingNoise(const NoiseGenerator& noise, uint32_t* upcoming)
{
    int slot = noise.takeIndex;
    for (int draw = 0; draw < NOISE_WORDS; ++draw) {
        upcoming[draw] = noise.words[slot];
        slot = StepDown(slot);
    }
}

// A slot holds the word it will give when drawn, so after any number of draws
// the generator is its next NOISE_WORDS draws laid out down from the take slot.
void WriteUpcomingNoise(NoiseGenerator& noise, const uint32_t* upcoming, int drawsTakenModWords)
{
    noise.takeIndex = (noise.takeIndex - drawsTakenModWords + NOISE_WORDS) % NOISE_WORDS;
    noise.lagIndex = (noise.lagIndex - drawsTakenModWords + NOISE_WORDS) % NOISE_WORDS;
    int slot = noise.takeIndex;
    for (int draw = 0; draw < NOISE_WORDS; ++draw) {
        noise.words[slot] = upcoming[draw];
        slot = StepDown(slot);
    }
}
