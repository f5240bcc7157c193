// The cell pass with AVX2, thirty-two cells at a time in 16-bit lanes, the
// colours gathered from the palette. Compiled per function and used only where
// the processor has AVX2.
#include "cell_pass.h"

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>

// Win32 callbacks only keep the stack 4-byte aligned; the kernels realign it.
#define AVX2_KERNEL __attribute__((target("avx2"), force_align_arg_pointer))
#define AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

namespace {

const int BLOCK_WORDS = 8;
const int HALF_CELLS = 16;
const int VECTOR_CELLS = 32;
const int PIXEL_GROUP = 8;

struct Avx2Constants {
    __m256i drawMasks;
    __m256i lowHalves;
    __m256i cellOrder;
    __m256i averagingWeight;
    __m256i ignitionHeat;
};

AVX2_INLINE __m256i LoadBlock(const uint32_t* words)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(words));
}

// The eight words starting one word into `block`, the last from `next`.
AVX2_INLINE __m256i AfterFirstWord(__m256i block, __m256i next)
{
    return _mm256_alignr_epi8(_mm256_permute2x128_si256(block, next, 0x21), block, 4);
}

AVX2_INLINE __m256i LoadAfterFirstWord(const uint32_t* words)
{
    return AfterFirstWord(LoadBlock(words), LoadBlock(words + BLOCK_WORDS));
}

AVX2_INLINE __m256i LoadHeat(const uint8_t* bytes)
{
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)));
}

// Weights and ignition thresholds of sixteen cells from their thirty-two
// draws. The packs work within 128-bit lanes; the permute puts cells in order.
AVX2_INLINE void SplitDraws(const uint32_t* draws, const Avx2Constants& k, __m256i* weights, __m256i* thresholds)
{
    __m256i low = _mm256_packs_epi32(_mm256_and_si256(LoadBlock(draws), k.drawMasks),
                                     _mm256_and_si256(LoadBlock(draws + 8), k.drawMasks));
    __m256i high = _mm256_packs_epi32(_mm256_and_si256(LoadBlock(draws + 16), k.drawMasks),
                                      _mm256_and_si256(LoadBlock(draws + 24), k.drawMasks));
    __m256i cooling = _mm256_packs_epi32(_mm256_and_si256(low, k.lowHalves), _mm256_and_si256(high, k.lowHalves));
    *weights = _mm256_sub_epi16(k.averagingWeight, _mm256_permutevar8x32_epi32(cooling, k.cellOrder));
    __m256i ignition = _mm256_packs_epi32(_mm256_srli_epi32(low, 16), _mm256_srli_epi32(high, 16));
    *thresholds = _mm256_permutevar8x32_epi32(ignition, k.cellOrder);
}

// Sixteen cells from i on: their heat after ignition, and the cooled heat of
// the cells above them.
AVX2_INLINE void RunHalf(const CellPassFrame* frame, int i, const uint32_t* draws, const Avx2Constants& k,
                         __m256i* previousLit, __m256i* lit, __m256i* cooled)
{
    const uint8_t* heat = frame->heat;
    const int stride = frame->stride;
    __m256i weights;
    __m256i thresholds;
    SplitDraws(draws, k, &weights, &thresholds);
    __m256i own = LoadHeat(heat + i);
    __m256i lights = _mm256_cmpgt_epi16(LoadHeat(frame->fuel + i), thresholds);
    __m256i after = _mm256_blendv_epi8(own, k.ignitionHeat, lights);
    __m256i left = _mm256_alignr_epi8(after, _mm256_permute2x128_si256(*previousLit, after, 0x21), 14);
    __m256i sum =
        _mm256_add_epi16(_mm256_add_epi16(LoadHeat(heat + i + stride), left),
                         _mm256_add_epi16(_mm256_add_epi16(LoadHeat(heat + i + 1), LoadHeat(heat + i - stride)), own));
    *cooled = _mm256_mulhi_epu16(sum, weights);
    *lit = after;
    *previousLit = after;
}

AVX2_INLINE __m256i PackInOrder(__m256i low, __m256i high)
{
    return _mm256_permute4x64_epi64(_mm256_packus_epi16(low, high), 0xD8);
}

// A zero colour leaves the pixel as it was: those lanes are not gathered.
AVX2_INLINE void PaintEight(uint32_t* pixels, const uint32_t* colours, __m128i heat)
{
    __m256i index = _mm256_cvtepu16_epi32(heat);
    __m256i* target = reinterpret_cast<__m256i*>(pixels);
    __m256i lit = _mm256_cmpgt_epi32(index, _mm256_setzero_si256());
    __m256i colour =
        _mm256_mask_i32gather_epi32(_mm256_loadu_si256(target), reinterpret_cast<const int*>(colours), index, lit, 4);
    _mm256_storeu_si256(target, colour);
}

// Cold stretches of the canvas, where every pixel stays, skip the gathers.
AVX2_INLINE void PaintSixteen(uint32_t* pixels, const uint32_t* colours, __m256i heat)
{
    if (_mm256_testz_si256(heat, heat))
        return;
    PaintEight(pixels, colours, _mm256_castsi256_si128(heat));
    PaintEight(pixels + PIXEL_GROUP, colours, _mm256_extracti128_si256(heat, 1));
}

}  // namespace

// Each block of eight draws is the sum of the eight draws 55 before it and
// the eight 31 before it; both start one word into an earlier block. The
// last four blocks stay in registers (the window 31 back is made from them);
// the window 55 back is made from blocks loaded whole, as they were stored.
AVX2_KERNEL void FillDrawsAvx2(uint32_t* draws, int end)
{
    const int first = KNOWN_DRAWS / BLOCK_WORDS;
    __m256i block0 = LoadBlock(draws + (first - 4) * BLOCK_WORDS);
    __m256i block1 = LoadBlock(draws + (first - 3) * BLOCK_WORDS);
    __m256i block2 = LoadBlock(draws + (first - 2) * BLOCK_WORDS);
    __m256i block3 = LoadBlock(draws + (first - 1) * BLOCK_WORDS);
    for (int next = KNOWN_DRAWS; next < end; next += BLOCK_WORDS) {
        __m256i farWindow = LoadAfterFirstWord(draws + next - DRAW_FAR_LAG - 1);
        __m256i block = _mm256_add_epi32(farWindow, AfterFirstWord(block0, block1));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(draws + next), block);
        block0 = block1;
        block1 = block2;
        block2 = block3;
        block3 = block;
    }
}

// In a row of at least thirty-two cells no cell of a vector reads the cooled
// heat or the ignition of another cell of the same vector except its left
// neighbour, which comes from the lanes.
AVX2_KERNEL void RunCellsAvx2(const CellPassFrame* shared, int first, int count, const uint32_t* draws)
{
    // A copy the compiler knows the heat stores cannot change.
    const CellPassFrame copy = *shared;
    const CellPassFrame* frame = &copy;
    int done = 0;
    if (frame->stride >= VECTOR_CELLS) {
        const Avx2Constants k = {_mm256_setr_epi32(frame->coolMask, static_cast<int>(IGNITION_MASK), frame->coolMask,
                                                   static_cast<int>(IGNITION_MASK), frame->coolMask,
                                                   static_cast<int>(IGNITION_MASK), frame->coolMask,
                                                   static_cast<int>(IGNITION_MASK)),
                                 _mm256_set1_epi32(0xFFFF), _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7),
                                 _mm256_set1_epi16(AVERAGING_WEIGHT), _mm256_set1_epi16(IGNITION_HEAT)};
        uint8_t* heat = frame->heat;
        __m256i previousLit = _mm256_set1_epi16(heat[first - 1]);
        for (; done + VECTOR_CELLS <= count; done += VECTOR_CELLS) {
            const int i = first + done;
            const uint32_t* cellDraws = draws + 2 * done;
            __m256i litLow, litHigh, cooledLow, cooledHigh;
            RunHalf(frame, i, cellDraws, k, &previousLit, &litLow, &cooledLow);
            RunHalf(frame, i + HALF_CELLS, cellDraws + 2 * HALF_CELLS, k, &previousLit, &litHigh, &cooledHigh);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(heat + i), PackInOrder(litLow, litHigh));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(heat + i - frame->stride),
                                PackInOrder(cooledLow, cooledHigh));
            PaintSixteen(frame->pixels + i, frame->colours, litLow);
            PaintSixteen(frame->pixels + i + HALF_CELLS, frame->colours, litHigh);
        }
    }
    RunCellsScalar(shared, first + done, count - done, draws + 2 * done);
}

#endif
