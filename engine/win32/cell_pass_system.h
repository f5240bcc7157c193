// Whether this Windows saves the vector registers that the faster cell
// passes use, for the canvas's choice of pass.
#ifndef TAMBLORN_CELL_PASS_SYSTEM_H
#define TAMBLORN_CELL_PASS_SYSTEM_H

#include <cstdint>

int32_t SystemKeepsSseState();

#endif
