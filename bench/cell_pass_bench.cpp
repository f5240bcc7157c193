// The cell pass on the default text canvas and on the largest one the
// settings allow, reported per cell: the reference loop and every variant the
// processor supports, in one run.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_cases.h"

namespace {

void CellPass(benchmark::State& state, BenchSize size, int variant)
{
    BenchCanvas bench = {};
    SetUpBenchCanvas(bench, size);
    for (auto _ : state) {
        RunBenchPass(bench, variant);
        benchmark::DoNotOptimize(bench.canvas.heat);
        benchmark::ClobberMemory();
    }
    const double cells = static_cast<double>(size.width) * size.height;
    state.counters["ns_per_cell"] = benchmark::Counter(cells * static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    TearDownBenchCanvas(bench);
}

}  // namespace

int main(int argc, char** argv)
{
    const int supported = SupportedCellPassLevel(true);
    for (const BenchSize& size : benchSizes) {
        for (int variant = BENCH_REFERENCE; variant <= supported; ++variant) {
            std::string name = std::string("CellPass/") + BenchVariantName(variant) + "/" + std::to_string(size.width) +
                               "x" + std::to_string(size.height);
            benchmark::RegisterBenchmark(name.c_str(), CellPass, size, variant)->Unit(benchmark::kMicrosecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
