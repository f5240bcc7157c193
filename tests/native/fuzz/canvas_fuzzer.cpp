// Fuzzes the simulation core with arbitrary canvas sizes, scratch images,
// seeds and levels: the fuel scan and the cell pass must stay inside their
// buffers and keep heat and fuel in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "flame_canvas.h"
#include "saver_settings.h"

namespace {

const int MAX_SIDE = 64;
const int HEADER_BYTES = 8;

void Require(bool condition)
{
    if (!condition)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < HEADER_BYTES)
        return 0;
    // Sides may be zero or negative, as a hand-edited font size makes them.
    int width = static_cast<int8_t>(data[0]) % MAX_SIDE;
    int height = static_cast<int8_t>(data[1]) % MAX_SIDE;
    uint32_t seed = data[2] | data[3] << 8;
    saverSettings.flameLimit = static_cast<int8_t>(data[4]);
    saverSettings.loop = data[5] & 1;
    saverSettings.fireMode = FIRE_TEXT;
    int ticks = data[6] % 40;
    FuelTest test = data[7] & 1 ? FUEL_TEST_EMBER : FUEL_TEST_LIT;
    data += HEADER_BYTES;
    size -= HEADER_BYTES;

    FreeFlameBuffers();
    flameCanvas = FlameCanvas();
    ResetCanvasForSetUp();
    flameCanvas.width = width;
    flameCanvas.height = height;
    size_t cells = width > 0 && height > 0 ? static_cast<size_t>(width) * height : 0;
    std::vector<uint32_t> pixels(cells);
    flameCanvas.pixels = cells ? pixels.data() : nullptr;
    bool ready = InitFlameBuffers();
    SeedNoise(seed);
    FinishCanvasSetUp();
    flameCanvas.coolMask = CoolMaskForLevel(0);

    std::vector<uint32_t> scratch(cells);
    for (size_t i = 0; i < cells && i < size; ++i)
        scratch[i] = data[i] & 1 ? EMBER_PIXEL : data[i];
    if (ready && cells)
        ScanFuelPoints(scratch.data(), test);
    for (int tick = 0; tick < ticks; ++tick)
        StepFlames(nullptr);

    Require(flameCanvas.level >= 0 && flameCanvas.level <= LEVEL_CEILING);
    if (CanvasHasCells()) {
        for (size_t i = 0; i < cells; ++i) {
            Require(flameCanvas.heat[i] <= IGNITION_HEAT);
            Require(flameCanvas.fuel[i] == 0 || flameCanvas.fuel[i] == FUEL_VALUE);
        }
    }
    return 0;
}
