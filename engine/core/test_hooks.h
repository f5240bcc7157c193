// Entries of the core that only the tests, the fuzzer and the benchmark use.
#ifndef TAMBLORN_TEST_HOOKS_H
#define TAMBLORN_TEST_HOOKS_H

#include <cstdint>

#include "flame_canvas.h"

// The sequential loop that defines the cell pass.
void RunCellPassReference(FlameCanvas& canvas);
// Makes the next pass choose its level again.
void ForgetCellPassLevel(FlameCanvas& canvas);

#endif
