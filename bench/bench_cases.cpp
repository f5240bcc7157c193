#include "bench_cases.h"

#include "saver_canvas.h"
#include "test_hooks.h"

const BenchSize benchSizes[BENCH_SIZE_COUNT] = {{320, 232}, {4953, 327}};

namespace {

const uint32_t BENCH_SEED = 879;
const int WARM_PASSES = 50;
const int FUEL_SPACING = 3;
const CanvasPlatform BENCH_PLATFORM = {MakePlainSurface, ReleasePlainSurface, nullptr, nullptr, nullptr, nullptr};

}  // namespace

void SetUpBenchCanvas(BenchSize size)
{
    const int width = size.width;
    const int height = size.height;
    flameCanvas = FlameCanvas();
    BuildCanvasOfSize(BENCH_PLATFORM, width, height);
    flameCanvas.coolMask = CoolMaskForLevel(LEVEL_CEILING - 1);
    SeedNoise(BENCH_SEED);
    // Fuel on every third cell of the text band, as the scan leaves it.
    for (int y = FLAME_HEADROOM / 2; y < height - FLAME_HEADROOM / 2; ++y)
        for (int x = (y % FUEL_SPACING) + 1; x < width - 1; x += FUEL_SPACING)
            flameCanvas.fuel[y * width + x] = FUEL_VALUE;
    for (int warm = 0; warm < WARM_PASSES; ++warm)
        RunCellPassReference();
}

void TearDownBenchCanvas()
{
    ReleaseSaverCanvas(BENCH_PLATFORM);
}

void RunBenchPass(int variant)
{
    if (variant == BENCH_REFERENCE)
        RunCellPassReference();
    else
        RunCellPassAtLevel(static_cast<CellPassLevel>(variant));
}

const char* BenchVariantName(int variant)
{
    return variant == BENCH_REFERENCE ? "reference" : cellPassLevelNames[variant];
}
