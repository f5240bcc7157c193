// The native programs' run: its tick clock, and its end on a signal, which
// writes a byte into a pipe that the run's poll watches.
#ifndef TAMBLORN_RUN_CLOCK_H
#define TAMBLORN_RUN_CLOCK_H

#include <cstdint>

#include "flame_canvas.h"

const int64_t NANOSECONDS_PER_MILLISECOND = 1000000;
const int64_t TICK_NANOSECONDS = EFFECT_TICK_MS * NANOSECONDS_PER_MILLISECOND;

// The monotonic clock, in nanoseconds.
int64_t Now();
// When the tick after the one due at `due` is due: a period later, or a period from now after a stall, so
// that the ticks start again instead of coming in a burst.
int64_t NextTick(int64_t due);
// The milliseconds until `due`, rounded up, for poll.
int MillisecondsUntil(int64_t due);

// Opens `stopPipe` (both ends closed on exec, the writing end never blocking) and has SIGTERM, SIGINT and
// SIGHUP call `handler`, which hands NoteStop the writing end of its program's pipe.
bool CatchStopSignals(int stopPipe[2], void (*handler)(int));
void NoteStop(int pipeEnd);

#endif
