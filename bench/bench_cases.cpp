#include "bench_cases.h"

#include "saver_canvas.h"
#include "test_hooks.h"

const BenchSize benchSizes[BENCH_SIZE_COUNT] = {{320, 232}, {4953, 327}};

namespace {

const uint32_t BENCH_SEED = 879;
const int WARM_PASSES = 50;
const int FUEL_SPACING = 3;
uint32_t* MakeSurface(void* context, int32_t width, int32_t height)
{
    return MakePlainSurface(static_cast<uint32_t**>(context), width, height);
}

void ReleaseSurface(void* context)
{
    ReleasePlainSurface(static_cast<uint32_t**>(context));
}

CanvasPlatform BenchPlatform(BenchCanvas& bench)
{
    return {&bench.surface, MakeSurface, ReleaseSurface, nullptr, nullptr, nullptr, nullptr};
}

}  // namespace

void SetUpBenchCanvas(BenchCanvas& bench, BenchSize size)
{
    const int width = size.width;
    const int height = size.height;
    FlameCanvas& canvas = bench.canvas;
    canvas = FlameCanvas();
    BuildCanvasOfSize(canvas, BenchPlatform(bench), width, height);
    canvas.coolMask = CoolMaskForLevel(LEVEL_CEILING - 1);
    SeedNoise(canvas.noise, BENCH_SEED);
    // Fuel on every third cell of the text band, as the scan leaves it.
    for (int y = FLAME_HEADROOM / 2; y < height - FLAME_HEADROOM / 2; ++y)
        for (int x = (y % FUEL_SPACING) + 1; x < width - 1; x += FUEL_SPACING)
            canvas.fuel[y * width + x] = FUEL_VALUE;
    for (int warm = 0; warm < WARM_PASSES; ++warm)
        RunCellPassReference(canvas);
}

void TearDownBenchCanvas(BenchCanvas& bench)
{
    ReleaseSaverCanvas(bench.canvas, BenchPlatform(bench));
}

void RunBenchPass(BenchCanvas& bench, int variant)
{
    if (variant == BENCH_REFERENCE)
        RunCellPassReference(bench.canvas);
    else
        RunCellPassAtLevel(bench.canvas, static_cast<CellPassLevel>(variant));
}

const char* BenchVariantName(int variant)
{
    return variant == BENCH_REFERENCE ? "reference" : cellPassLevelNames[variant];
}
