// The benchmark's canvases and passes, shared by the native benchmark and the
// self-timing Windows one.
#ifndef TAMBLORN_BENCH_CASES_H
#define TAMBLORN_BENCH_CASES_H

#include "cell_pass.h"

struct BenchSize {
    int width;
    int height;
};

// The default text canvas and the largest one the settings allow.
const int BENCH_SIZE_COUNT = 2;
extern const BenchSize benchSizes[BENCH_SIZE_COUNT];

// The reference loop, then one entry per level.
const int BENCH_REFERENCE = -1;

// A canvas and the plain surface it burns on.
struct BenchCanvas {
    FlameCanvas canvas;
    uint32_t* surface;
};

// A burning canvas of the given size, warmed up by some passes.
void SetUpBenchCanvas(BenchCanvas& bench, BenchSize size);
void TearDownBenchCanvas(BenchCanvas& bench);
// One pass of the reference loop (BENCH_REFERENCE) or of a level.
void RunBenchPass(BenchCanvas& bench, int variant);
const char* BenchVariantName(int variant);

#endif
