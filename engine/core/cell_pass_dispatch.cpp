// Chooses the cell pass for the processor once, and lets a run or a test ask
// for a lower level through TAMBLORN_CELL_PASS.
#include <cstdlib>
#include <cstring>

#include "cell_pass.h"
#include "test_hooks.h"

#if defined(__i386__) || defined(__x86_64__)
#define TAMBLORN_X86 1
#else
#define TAMBLORN_X86 0
#endif

const char cellPassLevelNames[CELL_PASS_LEVELS][CELL_PASS_NAME_BYTES] = {"scalar", "sse2", "avx2"};

namespace {

const char LEVEL_VARIABLE[] = "TAMBLORN_CELL_PASS";

}  // namespace

// AVX2's support already includes the system's saving of its registers; SSE2's
// does not, so the system has a say.
CellPassLevel CellPassLevelOf(bool processorAvx2, bool processorSse2, bool systemKeepsSse)
{
    if (processorAvx2)
        return CELL_PASS_AVX2;
    return processorSse2 && systemKeepsSse ? CELL_PASS_SSE2 : CELL_PASS_SCALAR;
}

CellPassLevel SupportedCellPassLevel(bool systemKeepsSse)
{
#if TAMBLORN_X86
    __builtin_cpu_init();
    return CellPassLevelOf(__builtin_cpu_supports("avx2"), __builtin_cpu_supports("sse2"), systemKeepsSse);
#else
    (void)systemKeepsSse;
    return CELL_PASS_SCALAR;
#endif
}

CellPassLevel CellPassLevelFor(const char* request, CellPassLevel supported)
{
    if (!request)
        return supported;
    for (int level = CELL_PASS_SCALAR; level < CELL_PASS_LEVELS; ++level) {
        if (strcmp(request, cellPassLevelNames[level]) == 0)
            return level < supported ? static_cast<CellPassLevel>(level) : supported;
    }
    return supported;
}

CellPassLevel ActiveCellPassLevel(FlameCanvas& canvas)
{
    int32_t& level = canvas.cellPassLevel;
    if (level == CELL_PASS_NOT_CHOSEN)
        level = CellPassLevelFor(getenv(LEVEL_VARIABLE), SupportedCellPassLevel(canvas.systemKeepsSse != 0));
    return static_cast<CellPassLevel>(level);
}

void ForgetCellPassLevel(FlameCanvas& canvas)
{
    canvas.cellPassLevel = CELL_PASS_NOT_CHOSEN;
}

void RunCellPassAtLevel(FlameCanvas& canvas, CellPassLevel level)
{
#if TAMBLORN_X86
    if (level == CELL_PASS_AVX2) {
        RunChunkedCellPass(canvas, FillDrawsAvx2, RunCellsAvx2);
        return;
    }
    if (level == CELL_PASS_SSE2) {
        RunChunkedCellPass(canvas, FillDrawsSse2, RunCellsSse2);
        return;
    }
#endif
    (void)level;
    RunChunkedCellPass(canvas, FillDrawsScalar, RunCellsScalar);
}

void RunCellPass(FlameCanvas& canvas)
{
    RunCellPassAtLevel(canvas, ActiveCellPassLevel(canvas));
}
