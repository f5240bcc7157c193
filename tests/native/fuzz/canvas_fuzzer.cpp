// Fuzzes the simulation core. Two paths, chosen by the first byte:
// - the canvas path: arbitrary canvas sizes, scratch images, seeds and levels;
// - the settings path: a settings record as a hand-edited file can leave it
//   (any text bytes, any font size byte, any limit, loop and fire mode) sized
//   into a canvas as the set-ups size it, scanned, stepped and jumped.
// Either way the fuel scan, the cell pass and the jump must stay inside their
// buffers and keep heat, fuel and the level in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "saver_canvas.h"
#include "saver_settings.h"

namespace {

const int MAX_SIDE = 64;
const int CANVAS_HEADER_BYTES = 8;
const int SETTINGS_HEADER_BYTES = 24;
const int TEXT_BAND_TOP = FLAME_HEADROOM / 2;
const int MAX_SETTINGS_TICKS = 2;
const int MAX_PICTURE_SIDE = 320;

void Require(bool condition)
{
    if (!condition)
        abort();
}

// Any bytes of the input as a number of the type.
template <typename Number> Number Read(const uint8_t* at)
{
    Number number;
    memcpy(&number, at, sizeof number);
    return number;
}

// Heat in range, fuel only 0 or FUEL_VALUE, the level within its ceiling.
void RequireCanvasInRange(const FlameCanvas& canvas)
{
    Require(canvas.level >= 0 && canvas.level <= LEVEL_CEILING);
    if (!CanvasHasCells(canvas))
        return;
    for (int32_t i = 0; i < canvas.cellCount; ++i) {
        Require(canvas.heat[i] <= IGNITION_HEAT);
        Require(canvas.fuel[i] == 0 || canvas.fuel[i] == FUEL_VALUE);
    }
}

// What the set-up draws comes from the input: the text as the shape's bits in
// the band it is given, the logs as a picture of embers from the same bits.
struct FuzzInput {
    const uint8_t* shape;
    size_t shapeSize;
    int32_t pictureWidth;
    int32_t pictureHeight;
    uint32_t seed;
    std::vector<uint32_t> picture;
};

// The records one input works on; the input is the hooks' context.
struct FuzzRecords {
    FlameCanvas canvas = {};
    SaverSettings settings = STARTING_SETTINGS;
    MonitorLayout monitors = {};
    uint32_t* surface = nullptr;
    FuzzInput input = {};
};

FuzzRecords& Records(void* context)
{
    return *static_cast<FuzzRecords*>(context);
}

uint32_t ShapeBits(const FuzzInput& input, size_t cell)
{
    return input.shapeSize ? input.shape[cell % input.shapeSize] : 0;
}

void DrawFuzzText(void* context, const FlameCanvas& canvas, uint32_t* scratch, int32_t top, int32_t cellSize,
                  const char*)
{
    const FuzzInput& input = Records(context).input;
    for (int32_t row = top < 0 ? 0 : top; row < top + cellSize && row < canvas.height; ++row) {
        for (int32_t column = 0; column < canvas.width; ++column) {
            size_t i = static_cast<size_t>(row) * canvas.width + column;
            uint32_t bits = ShapeBits(input, i);
            if (bits >> (column % 8) & 1)
                scratch[i] = bits;
        }
    }
}

bool LoadFuzzLogs(void* context, const uint32_t** pixels, int32_t* width, int32_t* height)
{
    FuzzInput& input = Records(context).input;
    if (input.pictureWidth <= 0 || input.pictureHeight <= 0)
        return false;
    input.picture.assign(static_cast<size_t>(input.pictureWidth) * input.pictureHeight, 0);
    for (size_t i = 0; i < input.picture.size(); ++i)
        input.picture[i] = ShapeBits(input, i) >> (i % 8) & 1 ? EMBER_PIXEL : ShapeBits(input, i);
    *pixels = input.picture.data();
    *width = input.pictureWidth;
    *height = input.pictureHeight;
    return true;
}

CanvasPlatform FuzzPlatform(FuzzRecords& records)
{
    auto make = [](void* context, int32_t width, int32_t height) {
        return MakePlainSurface(&Records(context).surface, width, height);
    };
    auto release = [](void* context) { ReleasePlainSurface(&Records(context).surface); };
    auto seed = [](void* context) { return Records(context).input.seed; };
    return {&records, make, release, DrawFuzzText, LoadFuzzLogs, nullptr, seed};
}

void FuzzCanvas(const uint8_t* data, size_t size)
{
    if (size < CANVAS_HEADER_BYTES)
        return;
    // Sides may be zero or negative, as a hand-edited font size makes them.
    int width = static_cast<int8_t>(data[0]) % MAX_SIDE;
    int height = static_cast<int8_t>(data[1]) % MAX_SIDE;
    uint32_t seed = data[2] | data[3] << 8;
    FuzzRecords records;
    records.settings.flameLimit = static_cast<int8_t>(data[4]);
    records.settings.loop = data[5] & 1;
    records.settings.fireMode = FIRE_TEXT;
    int ticks = data[6] % 40;
    FuelTest test = data[7] & 1 ? FUEL_TEST_EMBER : FUEL_TEST_LIT;
    data += CANVAS_HEADER_BYTES;
    size -= CANVAS_HEADER_BYTES;

    records.input.seed = seed;
    const CanvasPlatform platform = FuzzPlatform(records);
    bool ready = BuildCanvasOfSize(records.canvas, platform, width, height);
    size_t cells = ready ? static_cast<size_t>(width) * height : 0;

    std::vector<uint32_t> scratch(cells);
    for (size_t i = 0; i < cells && i < size; ++i)
        scratch[i] = data[i] & 1 ? EMBER_PIXEL : data[i];
    if (ready)
        ScanFuelPoints(records.canvas, scratch.data(), test);
    for (int tick = 0; tick < ticks; ++tick)
        StepFlameCanvas(records.canvas, records.settings);
    RequireCanvasInRange(records.canvas);
    ReleaseSaverCanvas(records.canvas, platform);
}

// The settings record from the input, as the loader can leave it: the text is
// NUL-terminated within its buffer, everything else takes any value.
void ReadSettingsRecord(SaverSettings& settings, const uint8_t* header, const uint8_t* textBytes, size_t textSize)
{
    size_t length = 0;
    while (length < textSize && length < SETTINGS_TEXT_BYTES - 1 && textBytes[length] != 0) {
        settings.text[length] = static_cast<char>(textBytes[length]);
        ++length;
    }
    settings.text[length] = '\0';
    settings.fontSize = static_cast<int8_t>(header[0]);
    settings.flameLimit = Read<int32_t>(header + 1);
    settings.loop = Read<int32_t>(header + 5);
    // Mostly the two modes, but any number as well.
    settings.fireMode = header[9] % 4 < 2 ? header[9] % 4 : Read<int32_t>(header + 10);
}

void FuzzSettings(const uint8_t* data, size_t size)
{
    // The same bytes as a settings file: the reader stays inside them and
    // leaves a terminated text.
    SaverSettings fromFile;
    memset(&fromFile, 0x5A, sizeof fromFile);
    ReadSettingsFile(reinterpret_cast<const char*>(data), size, &fromFile);
    Require(memchr(fromFile.text, 0, SETTINGS_TEXT_BYTES) != nullptr);
    if (size < SETTINGS_HEADER_BYTES)
        return;
    FuzzRecords records;
    ReadSettingsRecord(records.settings, data, data + SETTINGS_HEADER_BYTES, size - SETTINGS_HEADER_BYTES);
    FuzzInput& input = records.input;
    input.pictureWidth = data[14] | (data[15] & 1) << 8;
    input.pictureHeight = data[16] % MAX_PICTURE_SIDE;
    int32_t clientWidth = Read<int16_t>(data + 17);
    int32_t clientHeight = Read<int16_t>(data + 19);
    input.seed = data[21];
    int ticks = 1 + data[22] % MAX_SETTINGS_TICKS;
    input.shape = data + SETTINGS_HEADER_BYTES;
    input.shapeSize = size - SETTINGS_HEADER_BYTES;
    const SaverSettings& settings = records.settings;

    const CanvasPlatform platform = FuzzPlatform(records);
    SetUpSaverCanvas(records.canvas, settings, records.monitors, platform, clientWidth, clientHeight);
    FlameCanvas& canvas = records.canvas;
    bool burnText = settings.fireMode == FIRE_TEXT;
    // Neither mode, or a bonfire without a picture, makes no canvas.
    if (!burnText && (settings.fireMode != FIRE_BONFIRE || input.pictureWidth <= 0 || input.pictureHeight <= 0))
        Require(canvas.width == 0 && canvas.height == 0);
    Require(CanvasHasCells(canvas) == (canvas.width > 0 && canvas.height > 0));

    // Fuel stands only where the text or the embers were drawn.
    int32_t bandTop = burnText ? TEXT_BAND_TOP : FLAME_HEADROOM;
    int32_t bandBottom = burnText ? TEXT_BAND_TOP + settings.fontSize - 1 : canvas.height - 1;
    if (CanvasHasCells(canvas)) {
        for (int32_t row = 0; row < canvas.height; ++row)
            if (row < bandTop || row > bandBottom)
                for (int32_t column = 0; column < canvas.width; ++column)
                    Require(canvas.fuel[static_cast<size_t>(row) * canvas.width + column] == 0);
    }

    // Somewhere in a long run: any level, at the end of a level period.
    canvas.level = data[23] % (LEVEL_CEILING + 1);
    canvas.levelTicks = LEVEL_PERIOD_TICKS;
    for (int tick = 0; tick < ticks; ++tick)
        StepFlameCanvas(canvas, settings);
    RequireCanvasInRange(canvas);
    JumpCanvas(canvas, records.monitors, clientWidth, clientHeight);
    int32_t spanX = clientWidth - canvas.width;
    int32_t spanY = clientHeight - canvas.height;
    Require(spanX == 0 ? canvas.originX == 0 : canvas.originX >= 0 && canvas.originX < (spanX < 0 ? -spanX : spanX));
    Require(spanY == 0 ? canvas.originY == 0 : canvas.originY >= 0 && canvas.originY < (spanY < 0 ? -spanY : spanY));
    ReleaseSaverCanvas(canvas, platform);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    if (data[0] & 1)
        FuzzSettings(data + 1, size - 1);
    else
        FuzzCanvas(data + 1, size - 1);
    return 0;
}
