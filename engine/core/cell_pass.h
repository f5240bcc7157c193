// The cell pass and its variants. The sequential in-place loop is the
// definition of the pass; the variants reach the same heat, pixels and noise
// state faster and one of them is chosen once for the processor at hand.
#ifndef TAMBLORN_CELL_PASS_H
#define TAMBLORN_CELL_PASS_H

#include <cstdint>

#include "flame_canvas.h"

enum CellPassLevel { CELL_PASS_SCALAR, CELL_PASS_SSE2, CELL_PASS_AVX2, CELL_PASS_LEVELS };

// Names a level in TAMBLORN_CELL_PASS and in the benchmark's report.
const int CELL_PASS_NAME_BYTES = 8;
extern const char cellPassLevelNames[CELL_PASS_LEVELS][CELL_PASS_NAME_BYTES];

// One variant, whatever the processor supports; the caller makes sure it does.
void RunCellPassAtLevel(FlameCanvas& canvas, CellPassLevel level);

CellPassLevel CellPassLevelOf(bool processorAvx2, bool processorSse2, bool systemKeepsSse);
CellPassLevel SupportedCellPassLevel(bool systemKeepsSse);
// The level to use for a request (a level's name, or null or anything else
// for the best one) on a processor supporting levels up to `supported`.
CellPassLevel CellPassLevelFor(const char* request, CellPassLevel supported);
// The level RunCellPass uses: chosen on its first call on the canvas from the
// processor, the system and the environment variable TAMBLORN_CELL_PASS.
CellPassLevel ActiveCellPassLevel(FlameCanvas& canvas);

// What the variants share. Draws are the generator's words in the order they
// are taken: two per cell, cooling then ignition. The variants rely on the
// generator's lag slot being 24 below its take slot, as SeedNoise sets it and
// NextNoise keeps it.
const int CHUNK_CELLS = 512;
const int KNOWN_DRAWS = NOISE_WORDS + 1;  // the words a chunk starts from
const int DRAW_BUFFER_WORDS = 2 * CHUNK_CELLS + KNOWN_DRAWS;
const int DRAW_BLOCK_WORDS = 8;
const int COLOUR_ENTRIES = 256;  // every byte value, so no heat reads outside
// The generator adds the word 24 slots further down into the taken slot, so
// each draw is the sum of the draws 55 and 31 before it.
const int DRAW_FAR_LAG = NOISE_WORDS;
const int DRAW_NEAR_LAG = 31;

struct CellPassFrame {
    uint8_t* heat;
    const uint8_t* fuel;
    uint32_t* pixels;
    const uint32_t* colours;
    int32_t stride;
    int32_t coolMask;
};

// Extends draws[0 .. KNOWN_DRAWS) to draws[0 .. end), end a multiple of
// DRAW_BLOCK_WORDS.
typedef void (*FillDrawsKernel)(uint32_t* draws, int end);
// Runs cells first .. first + count - 1 of the pass on draws[0 .. 2 * count).
typedef void (*CellsKernel)(const CellPassFrame* frame, int first, int count, const uint32_t* draws);

void RunChunkedCellPass(FlameCanvas& canvas, FillDrawsKernel fill, CellsKernel cells);
void FillDrawsScalar(uint32_t* draws, int end);
void RunCellsScalar(const CellPassFrame* frame, int first, int count, const uint32_t* draws);
bool VectorWeightsFit(int32_t coolMask);

void FillDrawsSse2(uint32_t* draws, int end);
void RunCellsSse2(const CellPassFrame* frame, int first, int count, const uint32_t* draws);
void FillDrawsAvx2(uint32_t* draws, int end);
void RunCellsAvx2(const CellPassFrame* frame, int first, int count, const uint32_t* draws);

// The generator seen as its coming draws.
void ReadUpcomingNoise(const NoiseGenerator& noise, uint32_t* upcoming);
void WriteUpcomingNoise(NoiseGenerator& noise, const uint32_t* upcoming, int drawsTakenModWords);

#endif
