// Entries of the core that only the tests, the fuzzer and the benchmark use.
#ifndef TAMBLORN_TEST_HOOKS_H
#define TAMBLORN_TEST_HOOKS_H

#include <cstdint>

// The sequential loop that defines the cell pass.
void RunCellPassReference();
// Makes the next pass choose its level again.
void ForgetCellPassLevel();

#endif
