// Every cell pass variant the processor supports, chosen the way the saver
// chooses it, against the sequential loop that defines the pass: random
// canvases, heat, fuel, pixels, generator states and cooling masks, several
// passes in a row, comparing heat, pixels and the whole generator after each.
// Built natively and for Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "cell_pass.h"
#include "saver_canvas.h"
#include "test_hooks.h"

namespace {

const int PASSES = 3;
const int SMALL_SIDE_CASES = 24;
const uint32_t TEST_SEED = 20261207;
// Masks no level gives, which a canvas handed to the pass may still hold: the vector cells must give way.
const int32_t MASKS_NO_LEVEL_GIVES[] = {-1, 20000, 0xFFFF};

struct CanvasState {
    int width;
    int height;
    std::vector<uint8_t> heat;
    std::vector<uint8_t> fuel;
    std::vector<uint32_t> pixels;
    NoiseGenerator noise;
};

void SetPassLevelVariable(FlameCanvas& canvas, const char* name)
{
#ifdef _WIN32
    _putenv_s("TAMBLORN_CELL_PASS", name);
#else
    setenv("TAMBLORN_CELL_PASS", name, 1);
#endif
    ForgetCellPassLevel(canvas);
}

// Widths below, at and above one vector of each variant, odd ones, the
// default canvas and the largest the settings allow.
std::vector<std::pair<int, int>> CanvasSizes(std::mt19937& random)
{
    std::vector<std::pair<int, int>> sizes = {{0, 0},   {1, 1},   {0, 7},     {7, 0},     {2, 2},  {3, 3},   {1, 9},
                                              {9, 1},   {5, 5},   {15, 9},    {16, 9},    {17, 9}, {31, 6},  {32, 6},
                                              {33, 6},  {47, 11}, {63, 5},    {64, 5},    {65, 5}, {97, 13}, {255, 4},
                                              {513, 3}, {300, 3}, {320, 232}, {4953, 327}};
    for (int extra = 0; extra < SMALL_SIDE_CASES; ++extra)
        sizes.emplace_back(static_cast<int>(random() % 700) | 1, 3 + static_cast<int>(random() % 40));
    return sizes;
}

CanvasState RandomCanvas(std::mt19937& random, int width, int height, int flavour)
{
    const size_t cells = static_cast<size_t>(width) * height;
    CanvasState state = {width, height, std::vector<uint8_t>(cells), std::vector<uint8_t>(cells),
                         std::vector<uint32_t>(cells), {}};
    // Hot, patchy or mostly cold canvases, so that unlit cells and long cold
    // stretches keep their pixels.
    const uint32_t coldIn64[] = {0, 48, 63};
    const uint32_t cold = coldIn64[flavour % 3];
    for (size_t i = 0; i < cells; ++i) {
        state.heat[i] = random() % 64 < cold ? 0 : static_cast<uint8_t>(random() % HEAT_LEVELS);
        // Fuel as the set-ups leave it, or any byte at all.
        uint32_t fuelDraw = random();
        state.fuel[i] = flavour / 3 % 2 ? static_cast<uint8_t>(fuelDraw) : fuelDraw % 3 == 0 ? FUEL_VALUE : 0;
        state.pixels[i] = random();
    }
    // A generator seeded as the set-ups seed it and drawn from for a while,
    // or any words at any position.
    if (flavour % 2) {
        SeedNoise(state.noise, random() % (NoiseSeedFromClockParts(59, 59, 999) + 1));
        for (uint32_t draw = random() % NOISE_WORDS; draw > 0; --draw)
            NextNoise(state.noise);
    } else {
        for (uint32_t& word : state.noise.words)
            word = random();
        state.noise.takeIndex = static_cast<int32_t>(random() % NOISE_WORDS);
        state.noise.lagIndex =
            (state.noise.takeIndex + NOISE_WORDS - (NOISE_TAKE_START - NOISE_LAG_START)) % NOISE_WORDS;
    }
    return state;
}

// Points the canvas at the state's buffers; SaveNoise lets go of them again.
void LoadCanvas(FlameCanvas& canvas, CanvasState& state, int32_t coolMask)
{
    const int32_t level = canvas.cellPassLevel;
    canvas = FlameCanvas();
    canvas.cellPassLevel = level;
    canvas.width = state.width;
    canvas.height = state.height;
    canvas.cellCount = state.width * state.height;
    canvas.rowStride = state.width;
    canvas.heat = state.heat.empty() ? nullptr : state.heat.data();
    canvas.fuel = state.fuel.empty() ? nullptr : state.fuel.data();
    canvas.pixels = state.pixels.empty() ? nullptr : state.pixels.data();
    canvas.coolMask = coolMask;
    canvas.noise = state.noise;
    BuildHeatPalette(&canvas.palette);
}

void SaveNoise(FlameCanvas& canvas, CanvasState& state)
{
    state.noise = canvas.noise;
    canvas.heat = nullptr;
    canvas.fuel = nullptr;
    canvas.pixels = nullptr;
}

template <typename T> long FirstDifference(const std::vector<T>& expected, const std::vector<T>& actual)
{
    return expected == actual ? -1
                              : std::mismatch(expected.begin(), expected.end(), actual.begin()).first - expected.begin();
}

void ExpectSameCanvas(const CanvasState& expected, const CanvasState& actual, const char* what)
{
    ASSERT_EQ(FirstDifference(expected.heat, actual.heat), -1) << what << ": heat";
    ASSERT_EQ(FirstDifference(expected.pixels, actual.pixels), -1) << what << ": pixels";
    ASSERT_EQ(memcmp(&expected.noise, &actual.noise, sizeof expected.noise), 0) << what << ": generator";
}

#if defined(__i386__)
// Windows calls window procedures, and so the timer's pass, with the stack
// only 4-byte aligned: call the pass with the stack 4 bytes off 16.
void RunOnStackOffByFour(void (*function)(FlameCanvas&), FlameCanvas& canvas)
{
    // The one argument pushed leaves the stack 4 bytes off 16 at the call.
    __asm__ volatile("movl %%esp, %%ebx\n\t"
                     "andl $-16, %%esp\n\t"
                     "pushl %1\n\t"
                     "call *%0\n\t"
                     "movl %%ebx, %%esp\n\t"
                     :
                     : "r"(function), "r"(&canvas)
                     : "eax", "ebx", "ecx", "edx", "memory", "cc");
}
#else
void RunOnStackOffByFour(void (*function)(FlameCanvas&), FlameCanvas& canvas)
{
    function(canvas);
}
#endif

}  // namespace

TEST(CellPassVariants, MatchTheSequentialLoopOnRandomCanvases)
{
    std::mt19937 random(TEST_SEED);
    FlameCanvas canvas = {};
    const CellPassLevel supported = SupportedCellPassLevel(true);
    int caseNumber = 0;
    for (const auto& size : CanvasSizes(random)) {
        const int width = size.first;
        const int height = size.second;
        // Small canvases try every level's mask; large ones take turns.
        const bool everyLevel = static_cast<long>(width) * height < 20000;
        for (int level = 0; level <= LEVEL_CEILING; ++level) {
            if (!everyLevel && level % 5 != caseNumber % 5)
                continue;
            CanvasState start = RandomCanvas(random, width, height, caseNumber + level);
            CanvasState reference = start;
            std::vector<CanvasState> variants(CELL_PASS_LEVELS, start);
            for (int pass = 0; pass < PASSES; ++pass) {
                // The mask may change between passes, as it does every 31 ticks.
                int32_t coolMask = pass < PASSES - 1 ? CoolMaskForLevel((level + pass) % (LEVEL_CEILING + 1))
                                                     : MASKS_NO_LEVEL_GIVES[(caseNumber + level) % 3];
                LoadCanvas(canvas, reference, coolMask);
                RunCellPassReference(canvas);
                SaveNoise(canvas, reference);
                for (int variant = CELL_PASS_SCALAR; variant <= supported; ++variant) {
                    SetPassLevelVariable(canvas, cellPassLevelNames[variant]);
                    ASSERT_EQ(ActiveCellPassLevel(canvas), variant);
                    LoadCanvas(canvas, variants[variant], coolMask);
                    RunOnStackOffByFour(RunCellPass, canvas);
                    SaveNoise(canvas, variants[variant]);
                    ExpectSameCanvas(reference, variants[variant], cellPassLevelNames[variant]);
                    ASSERT_FALSE(HasFatalFailure())
                        << width << " x " << height << " mask " << coolMask << " pass " << pass;
                }
            }
        }
        ++caseNumber;
    }
    SetPassLevelVariable(canvas, "");
}

TEST(CellPassVariants, AreChosenForTheProcessorUnlessALowerOneIsAskedFor)
{
    const struct {
        const char* request;
        CellPassLevel supported;
        CellPassLevel chosen;
    } choices[] = {
        {nullptr, CELL_PASS_SCALAR, CELL_PASS_SCALAR}, {nullptr, CELL_PASS_SSE2, CELL_PASS_SSE2},
        {nullptr, CELL_PASS_AVX2, CELL_PASS_AVX2},     {"avx2", CELL_PASS_SCALAR, CELL_PASS_SCALAR},
        {"sse2", CELL_PASS_SCALAR, CELL_PASS_SCALAR},  {"avx2", CELL_PASS_SSE2, CELL_PASS_SSE2},
        {"scalar", CELL_PASS_AVX2, CELL_PASS_SCALAR},  {"sse2", CELL_PASS_AVX2, CELL_PASS_SSE2},
        {"", CELL_PASS_AVX2, CELL_PASS_AVX2},          {"AVX512", CELL_PASS_SSE2, CELL_PASS_SSE2},
    };
    for (const auto& choice : choices)
        EXPECT_EQ(CellPassLevelFor(choice.request, choice.supported), choice.chosen)
            << (choice.request ? choice.request : "(none)") << " on " << cellPassLevelNames[choice.supported];
    FlameCanvas canvas = {};
    SetPassLevelVariable(canvas, "");
    EXPECT_EQ(ActiveCellPassLevel(canvas), SupportedCellPassLevel(true));

    // SSE2 also needs the system's word that it saves the registers; AVX2's
    // support already includes it.
    const struct {
        bool avx2, sse2, systemKeepsSse;
        CellPassLevel chosen;
    } supports[] = {
        {true, true, true, CELL_PASS_AVX2},     {true, true, false, CELL_PASS_AVX2},
        {false, true, true, CELL_PASS_SSE2},    {false, true, false, CELL_PASS_SCALAR},
        {false, false, true, CELL_PASS_SCALAR}, {false, false, false, CELL_PASS_SCALAR},
    };
    for (const auto& support : supports)
        EXPECT_EQ(CellPassLevelOf(support.avx2, support.sse2, support.systemKeepsSse), support.chosen)
            << support.avx2 << support.sse2 << support.systemKeepsSse;
}
