// The cell pass on the default text canvas and on the largest one the
// settings allow, reported per cell.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "flame_canvas.h"

namespace {

void CellPass(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    flameCanvas = FlameCanvas();
    flameCanvas.width = width;
    flameCanvas.height = height;
    flameCanvas.pixels = pixels.data();
    InitFlameBuffers();
    FinishCanvasSetUp();
    flameCanvas.coolMask = CoolMaskForLevel(LEVEL_CEILING - 1);
    SeedNoise(879);
    // Fuel on every third cell of the text band, as the scan leaves it.
    for (int y = 100; y < height - 100; ++y)
        for (int x = (y % 3) + 1; x < width - 1; x += 3)
            flameCanvas.fuel[y * width + x] = FUEL_VALUE;
    for (int warm = 0; warm < 50; ++warm)
        RunCellPass();
    for (auto _ : state) {
        RunCellPass();
        benchmark::DoNotOptimize(flameCanvas.heat);
        benchmark::ClobberMemory();
    }
    const double cells = static_cast<double>(width) * height;
    state.counters["ns_per_cell"] = benchmark::Counter(cells * static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["cells"] = cells;
    FreeFlameBuffers();
}

}  // namespace

BENCHMARK(CellPass)->Args({320, 232})->Args({4953, 327})->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
