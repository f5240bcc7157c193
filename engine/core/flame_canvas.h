// The off-screen flame canvas, its heat palette and the noise generator that
// drives cooling and ignition: plain data and integer arithmetic that any
// platform drives. The platform owns the pixel surface and repaints.
#ifndef TAMBLORN_FLAME_CANVAS_H
#define TAMBLORN_FLAME_CANVAS_H

#include <cstdint>

const int FUEL_VALUE = 70;
const int FLAME_HEADROOM = 200;
const uint32_t EMBER_PIXEL = 0x00FF0000;

const int HEAT_LEVELS = 128;
const int IGNITION_HEAT = 127;
const uint32_t IGNITION_MASK = 0x7F;
const int AVERAGING_WEIGHT = 13107;  // 65535 / 5: five cells, shifted by 16
const int AVERAGING_SHIFT = 16;
const int LEVEL_CEILING = 13;
const int LEVEL_PERIOD_TICKS = 30;  // the level is reconsidered when this is passed
const int INITIAL_COOL_MASK = (1 << LEVEL_CEILING) - 1;
const int NOISE_WORDS = 55;
const int NOISE_TAKE_START = 54;
const int NOISE_LAG_START = 30;
const uint32_t JUMP_RANDOM_START = 1;
const int32_t CELL_PASS_NOT_CHOSEN = -1;
const unsigned EFFECT_TICK_MS = 100;
const uint32_t JUMP_AFTER_FRAMES = 100;  // about ten seconds of ticks

struct ColourTriple {
    double red;
    double green;
    double blue;
};

struct HeatPalette {
    uint8_t red[HEAT_LEVELS];
    uint8_t green[HEAT_LEVELS];
    uint8_t blue[HEAT_LEVELS];
};

struct NoiseGenerator {
    uint32_t words[NOISE_WORDS];
    int32_t takeIndex;
    int32_t lagIndex;
};

struct FlameCanvas {
    int32_t width;
    int32_t height;
    int32_t cellCount;
    int32_t rowStride;
    uint32_t* pixels;  // the platform's surface: 0x00RRGGBB, top row first
    uint8_t* heat;
    uint8_t* fuel;
    int32_t originX;
    int32_t originY;
    ColourTriple backgroundColour;
    ColourTriple textColour;
    // The bonfire's logs, top row first, pasted below the headroom each tick.
    const uint32_t* logsPixels;
    int32_t logsWidth;
    int32_t logsHeight;
    uint32_t frameCount;
    int32_t level;
    int32_t levelTicks;
    int32_t shrinking;
    int32_t coolMask;
    HeatPalette palette;
    NoiseGenerator noise;
    // The saver window's client area the canvas stands and jumps in.
    int32_t clientWidth;
    int32_t clientHeight;
    uint32_t jumpRandomState = JUMP_RANDOM_START;
    int32_t cellPassLevel = CELL_PASS_NOT_CHOSEN;  // chosen for the processor at the first pass
    // Whether the system saves the SSE registers across task switches; only a
    // 32-bit Windows of the 9x or NT 4.0 era may not.
    int32_t systemKeepsSse = 1;
};

// Pixel tests for ScanFuelPoints.
enum FuelTest { FUEL_TEST_LIT, FUEL_TEST_EMBER };

// Canvas and palette.
void BuildHeatPalette(HeatPalette* palette);
uint32_t HeatPixel(const HeatPalette* palette, int heat);
uint32_t ColourToPlatform(ColourTriple colour);
bool InitFlameBuffers(FlameCanvas& canvas);
void FreeFlameBuffers(FlameCanvas& canvas);
bool CanvasHasCells(const FlameCanvas& canvas);
int CoolMaskForLevel(int level);
void CentreCanvas(FlameCanvas& canvas, int32_t clientWidth, int32_t clientHeight);
void ResetCanvasForSetUp(FlameCanvas& canvas);
void SizeTextCanvas(FlameCanvas& canvas, int32_t textBytes, int32_t fontSize);
void SizeBonfireCanvas(FlameCanvas& canvas, bool havePicture, int32_t pictureWidth, int32_t pictureHeight);
void FinishCanvasSetUp(FlameCanvas& canvas);

// Simulation: the limit and loop of the flames, and the mode, are the settings'.
struct SaverSettings;
void SeedNoise(NoiseGenerator& noise, uint32_t seed);
uint32_t NextNoise(NoiseGenerator& noise);
void AdvanceIntensity(FlameCanvas& canvas, const SaverSettings& settings);
void RunCellPass(FlameCanvas& canvas);
void PasteLogsPicture(FlameCanvas& canvas);
// The logs pasted into any picture of the canvas's size.
void PasteLogsInto(const FlameCanvas& canvas, uint32_t* pixels);
// One tick: the intensity cycle, the logs in bonfire mode, the cell pass.
void StepFlameCanvas(FlameCanvas& canvas, const SaverSettings& settings);

// Fuel points from a rendered scratch image of the canvas's size.
void ScanFuelPoints(FlameCanvas& canvas, uint32_t* scratchPixels, FuelTest test);
int32_t CountFuelPoints(const FlameCanvas& canvas);

// Where the canvas may stand: the monitors the system reports, in client
// coordinates. With fewer than two the whole client area is one place.
const int MONITOR_LIMIT = 16;

struct MonitorBox {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct MonitorLayout {
    int32_t count;
    int32_t primary;
    MonitorBox boxes[MONITOR_LIMIT];
};

// The start and the random jumps of the canvas inside the client area. The
// Windows program never seeds the jumps (the C runtime's rand from 1); the
// native programs seed them per process.
void SeedJumpRandom(FlameCanvas& canvas, uint32_t seed);
int JumpRandom(FlameCanvas& canvas);
void PlaceCanvasAtStart(FlameCanvas& canvas, const MonitorLayout& monitors, int32_t clientWidth,
                        int32_t clientHeight);
void JumpCanvas(FlameCanvas& canvas, const MonitorLayout& monitors, int32_t clientWidth, int32_t clientHeight);

#endif
