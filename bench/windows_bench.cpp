// The cell pass benchmark for the Windows builds, where Google Benchmark is
// not at hand: the same canvases and passes as the native benchmark, timed
// with QueryPerformanceCounter, best of several rounds.
#include <windows.h>

#include <cstdio>

#include "bench_cases.h"

namespace {

const int ROUNDS = 7;
const double ROUND_SECONDS = 0.1;
const double MICROSECONDS = 1e6;
const double NANOSECONDS = 1e9;
const int NAME_CHARS = 64;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency)
{
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds per pass: rounds of enough passes to last about ROUND_SECONDS.
double BestPassSeconds(BenchCanvas& bench, int variant)
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER stop;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    RunBenchPass(bench, variant);
    QueryPerformanceCounter(&stop);
    double once = Seconds(start, stop, frequency);
    int passes = once > 0 ? static_cast<int>(ROUND_SECONDS / once) + 1 : 1;
    double best = once;
    for (int round = 0; round < ROUNDS; ++round) {
        QueryPerformanceCounter(&start);
        for (int pass = 0; pass < passes; ++pass)
            RunBenchPass(bench, variant);
        QueryPerformanceCounter(&stop);
        double perPass = Seconds(start, stop, frequency) / passes;
        if (perPass < best)
            best = perPass;
    }
    return best;
}

}  // namespace

int main()
{
    const int supported = SupportedCellPassLevel(true);
    printf("cell pass, %d-bit Windows build, processor supports up to %s; best of %d rounds\n",
           static_cast<int>(sizeof(void*) * 8), cellPassLevelNames[supported], ROUNDS);
    for (const BenchSize& size : benchSizes) {
        const double cells = static_cast<double>(size.width) * size.height;
        double referenceSeconds = 0;
        for (int variant = BENCH_REFERENCE; variant <= supported; ++variant) {
            BenchCanvas bench = {};
            SetUpBenchCanvas(bench, size);
            double seconds = BestPassSeconds(bench, variant);
            TearDownBenchCanvas(bench);
            if (variant == BENCH_REFERENCE)
                referenceSeconds = seconds;
            char name[NAME_CHARS];
            snprintf(name, sizeof name, "CellPass/%s/%dx%d", BenchVariantName(variant), size.width, size.height);
            printf("%-28s %10.1f us %8.3f ns_per_cell %6.2fx reference\n", name, seconds * MICROSECONDS,
                   seconds * NANOSECONDS / cells, referenceSeconds / seconds);
            fflush(stdout);
        }
    }
    return 0;
}
