// The cell pass with SSE2, sixteen cells at a time in 16-bit lanes. Compiled
// per function so that the 32-bit program, built for processors without
// SSE2, carries it and uses it only where the processor has it.
#include <cstring>

#include "cell_pass.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>

// Win32 callbacks only keep the stack 4-byte aligned; the kernels realign it.
#define SSE2_KERNEL __attribute__((target("sse2"), force_align_arg_pointer))
#define SSE2_INLINE __attribute__((target("sse2"), always_inline)) inline

namespace {

const int BLOCK_WORDS = 4;
const int HALF_CELLS = 8;
const int VECTOR_CELLS = 16;
const int PIXEL_GROUP = 4;

struct Sse2Constants {
    __m128i drawMasks;
    __m128i lowHalves;
    __m128i averagingWeight;
    __m128i ignitionHeat;
};

SSE2_INLINE __m128i LoadBlock(const uint32_t* words)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(words));
}

// The four words starting one word into the block at `words`.
SSE2_INLINE __m128i LoadAfterFirstWord(const uint32_t* words)
{
    return _mm_or_si128(_mm_srli_si128(LoadBlock(words), 4), _mm_slli_si128(LoadBlock(words + BLOCK_WORDS), 12));
}

SSE2_INLINE __m128i LoadHeat(const uint8_t* bytes)
{
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes)), _mm_setzero_si128());
}

// Weights and ignition thresholds of eight cells from their sixteen draws.
SSE2_INLINE void SplitDraws(const uint32_t* draws, const Sse2Constants& k, __m128i* weights, __m128i* thresholds)
{
    __m128i low =
        _mm_packs_epi32(_mm_and_si128(LoadBlock(draws), k.drawMasks), _mm_and_si128(LoadBlock(draws + 4), k.drawMasks));
    __m128i high = _mm_packs_epi32(_mm_and_si128(LoadBlock(draws + 8), k.drawMasks),
                                   _mm_and_si128(LoadBlock(draws + 12), k.drawMasks));
    __m128i cooling = _mm_packs_epi32(_mm_and_si128(low, k.lowHalves), _mm_and_si128(high, k.lowHalves));
    *weights = _mm_sub_epi16(k.averagingWeight, cooling);
    *thresholds = _mm_packs_epi32(_mm_srli_epi32(low, 16), _mm_srli_epi32(high, 16));
}

// Eight cells from i on: their heat after ignition, and the cooled heat of
// the cells above them.
SSE2_INLINE void RunHalf(const CellPassFrame* frame, int i, const uint32_t* draws, const Sse2Constants& k,
                         __m128i* previousLit, __m128i* lit, __m128i* cooled)
{
    const uint8_t* heat = frame->heat;
    const int stride = frame->stride;
    __m128i weights;
    __m128i thresholds;
    SplitDraws(draws, k, &weights, &thresholds);
    __m128i own = LoadHeat(heat + i);
    __m128i lights = _mm_cmpgt_epi16(LoadHeat(frame->fuel + i), thresholds);
    __m128i after = _mm_or_si128(_mm_and_si128(lights, k.ignitionHeat), _mm_andnot_si128(lights, own));
    __m128i left = _mm_or_si128(_mm_slli_si128(after, 2), _mm_srli_si128(*previousLit, 14));
    __m128i sum = _mm_add_epi16(_mm_add_epi16(LoadHeat(heat + i + stride), left),
                                _mm_add_epi16(_mm_add_epi16(LoadHeat(heat + i + 1), LoadHeat(heat + i - stride)), own));
    *cooled = _mm_mulhi_epu16(sum, weights);
    *lit = after;
    *previousLit = after;
}

// Cold stretches of the canvas, where every pixel stays, are skipped.
SSE2_INLINE void PaintCells(uint32_t* pixels, const uint32_t* colours, const uint8_t* heat)
{
    for (int group = 0; group < VECTOR_CELLS; group += PIXEL_GROUP) {
        uint32_t fourHeats;
        memcpy(&fourHeats, heat + group, sizeof fourHeats);
        if (fourHeats == 0)
            continue;
        __m128i colour =
            _mm_setr_epi32(static_cast<int>(colours[heat[group]]), static_cast<int>(colours[heat[group + 1]]),
                           static_cast<int>(colours[heat[group + 2]]), static_cast<int>(colours[heat[group + 3]]));
        __m128i* target = reinterpret_cast<__m128i*>(pixels + group);
        __m128i blank = _mm_cmpeq_epi32(colour, _mm_setzero_si128());
        _mm_storeu_si128(target, _mm_or_si128(colour, _mm_and_si128(blank, _mm_loadu_si128(target))));
    }
}

}  // namespace

// Each block of four draws is the sum of the four draws 55 before it and the
// four 31 before it; both start one word into an earlier block, so whole
// blocks are loaded as they were stored.
SSE2_KERNEL void FillDrawsSse2(uint32_t* draws, int end)
{
    for (int next = KNOWN_DRAWS; next < end; next += BLOCK_WORDS) {
        __m128i farWindow = LoadAfterFirstWord(draws + next - DRAW_FAR_LAG - 1);
        __m128i nearWindow = LoadAfterFirstWord(draws + next - DRAW_NEAR_LAG - 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(draws + next), _mm_add_epi32(farWindow, nearWindow));
    }
}

// In a row of at least sixteen cells no cell of a vector reads the cooled
// heat or the ignition of another cell of the same vector except its left
// neighbour, which comes from the lanes.
SSE2_KERNEL void RunCellsSse2(const CellPassFrame* shared, int first, int count, const uint32_t* draws)
{
    // A copy the compiler knows the heat stores cannot change.
    const CellPassFrame copy = *shared;
    const CellPassFrame* frame = &copy;
    int done = 0;
    if (frame->stride >= VECTOR_CELLS) {
        const Sse2Constants k = {_mm_setr_epi32(frame->coolMask, static_cast<int>(IGNITION_MASK), frame->coolMask,
                                                static_cast<int>(IGNITION_MASK)),
                                 _mm_set1_epi32(0xFFFF), _mm_set1_epi16(AVERAGING_WEIGHT),
                                 _mm_set1_epi16(IGNITION_HEAT)};
        uint8_t* heat = frame->heat;
        __m128i previousLit = _mm_set1_epi16(heat[first - 1]);
        for (; done + VECTOR_CELLS <= count; done += VECTOR_CELLS) {
            const int i = first + done;
            const uint32_t* cellDraws = draws + 2 * done;
            __m128i litLow, litHigh, cooledLow, cooledHigh;
            RunHalf(frame, i, cellDraws, k, &previousLit, &litLow, &cooledLow);
            RunHalf(frame, i + HALF_CELLS, cellDraws + 2 * HALF_CELLS, k, &previousLit, &litHigh, &cooledHigh);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(heat + i), _mm_packus_epi16(litLow, litHigh));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(heat + i - frame->stride),
                             _mm_packus_epi16(cooledLow, cooledHigh));
            PaintCells(frame->pixels + i, frame->colours, heat + i);
        }
    }
    RunCellsScalar(shared, first + done, count - done, draws + 2 * done);
}

#endif
