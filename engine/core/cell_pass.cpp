// The chunked cell pass: the coming draws are generated a chunk ahead into a
// buffer on the stack, a kernel runs the chunk's cells on them, and the
// generator is written back once at the end of the pass.
#include <cstring>

#include "cell_pass.h"

namespace {

const uint32_t NOISE_LOW_BITS = 0xFFFF;

void FillColours(const HeatPalette& palette, uint32_t* colours)
{
    for (int heat = 0; heat < COLOUR_ENTRIES; ++heat)
        colours[heat] = heat < HEAT_LEVELS ? HeatPixel(&palette, heat) : 0;
}

int RoundUpToBlock(int words)
{
    return (words + DRAW_BLOCK_WORDS - 1) / DRAW_BLOCK_WORDS * DRAW_BLOCK_WORDS;
}

}  // namespace

void FillDrawsScalar(uint32_t* draws, int end)
{
    for (int next = KNOWN_DRAWS; next < end; ++next)
        draws[next] = draws[next - DRAW_FAR_LAG] + draws[next - DRAW_NEAR_LAG];
}

// The sequential loop on drawn words. A cell's own heat is the right
// neighbour read one cell earlier, and its left neighbour the heat that cell
// was left with, so both stay in registers.
void RunCellsScalar(const CellPassFrame* frame, int first, int count, const uint32_t* draws)
{
    uint8_t* heat = frame->heat;
    const uint8_t* fuel = frame->fuel;
    uint32_t* pixels = frame->pixels;
    const uint32_t* colours = frame->colours;
    const int stride = frame->stride;
    const int32_t coolMask = frame->coolMask;
    int32_t left = count > 0 ? heat[first - 1] : 0;
    int32_t own = count > 0 ? heat[first] : 0;
    for (int cell = 0; cell < count; ++cell) {
        const int i = first + cell;
        uint32_t cooling = draws[2 * cell];
        uint32_t ignition = draws[2 * cell + 1];
        int32_t right = heat[i + 1];
        int32_t sum = heat[i + stride] + left + right + heat[i - stride] + own;
        int32_t weight = AVERAGING_WEIGHT - (coolMask & static_cast<int32_t>(cooling & NOISE_LOW_BITS));
        heat[i - stride] = static_cast<uint8_t>((sum * weight) >> AVERAGING_SHIFT);
        if (fuel[i] > (ignition & IGNITION_MASK)) {
            own = IGNITION_HEAT;
            heat[i] = IGNITION_HEAT;
        }
        uint32_t colour = colours[own];
        if (colour != 0)
            pixels[i] = colour;
        left = own;
        own = right;
    }
}

// The vector kernels multiply in unsigned 16 bits; with a cooling mask
// outside 0..13107 the weight can go negative and only the scalar cells
// reproduce the sequential loop.
bool VectorWeightsFit(int32_t coolMask)
{
    return coolMask >= 0 && coolMask <= AVERAGING_WEIGHT;
}

void RunChunkedCellPass(FlameCanvas& canvas, FillDrawsKernel fill, CellsKernel cells)
{
    if (!CanvasHasCells(canvas))
        return;
    const int stride = canvas.rowStride;
    const int first = stride + 1;
    const int last = canvas.cellCount - stride - 2;
    if (last < first)
        return;
    uint32_t colours[COLOUR_ENTRIES];
    FillColours(canvas.palette, colours);
    const CellPassFrame frame = {canvas.heat, canvas.fuel, canvas.pixels, colours, stride, canvas.coolMask};
    if (!VectorWeightsFit(frame.coolMask))
        cells = RunCellsScalar;

    uint32_t draws[DRAW_BUFFER_WORDS];
    ReadUpcomingNoise(canvas.noise, draws);
    draws[NOISE_WORDS] = draws[0] + draws[NOISE_WORDS - DRAW_NEAR_LAG];
    int takenModWords = 0;
    int start = first;
    int left = last - first + 1;
    while (left > 0) {
        const int count = left < CHUNK_CELLS ? left : CHUNK_CELLS;
        const int taken = 2 * count;
        fill(draws, RoundUpToBlock(taken + KNOWN_DRAWS));
        cells(&frame, start, count, draws);
        memmove(draws, draws + taken, KNOWN_DRAWS * sizeof(uint32_t));
        takenModWords = (takenModWords + taken) % NOISE_WORDS;
        left -= count;
        // No index is ever taken past the last cell, however large the canvas.
        if (left > 0)
            start += count;
    }
    WriteUpcomingNoise(canvas.noise, draws, takenModWords);
}
