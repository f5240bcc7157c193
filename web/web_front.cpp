// The saver in a browser: the core compiled to WebAssembly with the page's
// script as its platform. The script draws the text with the browser's own
// text drawing and reads the pixels this file leaves; the settings file is
// read and written by the core, the text turned to and from Shift-JIS with
// the core's own table of code page 932.
#include <cstdlib>
#include <cstring>

#include "flame_canvas.h"
#include "logs_picture.h"
#include "saver_canvas.h"
#include "saver_settings.h"
#include "settings_mend.h"
#include "shift_jis.h"

#define WEB_EXPORT(name) extern "C" __attribute__((export_name(#name)))
#define WEB_IMPORT(name) extern "C" __attribute__((import_module("page"), import_name(#name)))

// Draws the characters (UTF-16 units, each taking `bytes` cells of cellSize
// pixels from the left) into a picture of width x cellSize and hands back its
// RGBA bytes through WebBuffer; null when nothing was drawn.
WEB_IMPORT(drawText) const uint8_t* PageDrawText(const uint16_t* units, const uint8_t* bytes, int32_t count,
                                                 int32_t width, int32_t cellSize);
WEB_IMPORT(clockMilliseconds) double PageClockMilliseconds();

namespace {

const uint32_t TEXT_PIXEL = 0x00FF0000;
const uint32_t OPAQUE = 0xFF000000u;
const int RGBA_BYTES = 4;
const int ALPHA_BYTE = 3;
const uint16_t NO_CHARACTER = 0;
const double MILLISECONDS_PER_SECOND = 1000.0;
const double SECONDS_PER_MINUTE = 60.0;
const double MINUTES_PER_HOUR = 60.0;
const uint16_t REPLACEMENT_CHARACTER = 0xFFFD;
const int CANVAS_FACTS = 6;

// Everything the page's core holds: the saver's records, the hooks' surface
// and logs, and what the page and the core hand each other.
struct PageState {
    SaverSettings settings;
    FlameCanvas canvas;
    MonitorLayout monitors;
    uint32_t* surface;
    LogsPicture logs;
    const unsigned char* logsFile;
    size_t logsFileSize;
    uint8_t* transferBuffer;
    size_t transferRoom;
    uint32_t* framePixels;
    int32_t frameCells;
    // The last settings file opened: a saved file keeps its other lines.
    char* openedFile;
    size_t openedFileLength;
    int32_t canvasFacts[CANVAS_FACTS];
    uint16_t characterUnits[SETTINGS_TEXT_BYTES];
    uint8_t characterBytes[SETTINGS_TEXT_BYTES];
};

PageState pageState = {STARTING_SETTINGS, {}, {}, nullptr, {}, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, {}, {}, {}};

PageState& Page(void* context)
{
    return *static_cast<PageState*>(context);
}

int32_t TextCharacters(PageState& page, const char* text)
{
    return ShiftJisTextCharacters(text, page.characterUnits, page.characterBytes, SETTINGS_TEXT_BYTES);
}

uint32_t* MakeSurface(void* context, int32_t width, int32_t height)
{
    return MakePlainSurface(&Page(context).surface, width, height);
}

void ReleaseSurface(void* context)
{
    ReleasePlainSurface(&Page(context).surface);
}

// A pixel of the box the browser drew lights the scratch picture, as a glyph's
// coverage does in the other programs.
void DrawTextIntoScratch(void* context, const FlameCanvas& canvas, uint32_t* scratch, int32_t top, int32_t cellSize,
                         const char* text)
{
    PageState& page = Page(context);
    int32_t count = TextCharacters(page, text);
    const uint8_t* rgba = PageDrawText(page.characterUnits, page.characterBytes, count, canvas.width, cellSize);
    if (!rgba)
        return;
    for (int32_t row = 0; row < cellSize; ++row) {
        int32_t y = top + row;
        if (y < 0 || y >= canvas.height)
            continue;
        for (int32_t x = 0; x < canvas.width; ++x)
            if (rgba[(static_cast<size_t>(row) * canvas.width + x) * RGBA_BYTES + ALPHA_BYTE] != 0)
                scratch[static_cast<size_t>(y) * canvas.width + x] = TEXT_PIXEL;
    }
}

bool LoadLogs(void* context, const uint32_t** pixels, int32_t* width, int32_t* height)
{
    PageState& page = Page(context);
    return LendLogsPicture(page.logs, page.logsFile, page.logsFileSize, pixels, width, height);
}

void ReleaseLogs(void* context)
{
    GiveBackLogsPicture(Page(context).logs);
}

// The same seed as the other programs: the UTC clock's minutes, seconds and milliseconds.
uint32_t ClockSeed(void*)
{
    double now = PageClockMilliseconds();
    double seconds = now / MILLISECONDS_PER_SECOND;
    double minutes = seconds / SECONDS_PER_MINUTE;
    return NoiseSeedFromClockParts(static_cast<uint32_t>(__builtin_fmod(minutes, MINUTES_PER_HOUR)),
                                   static_cast<uint32_t>(__builtin_fmod(seconds, SECONDS_PER_MINUTE)),
                                   static_cast<uint32_t>(__builtin_fmod(now, MILLISECONDS_PER_SECOND)));
}

CanvasPlatform WebPlatform(PageState& page)
{
    return {&page, MakeSurface, ReleaseSurface, DrawTextIntoScratch, LoadLogs, ReleaseLogs, ClockSeed};
}

bool PageTextLights(const SaverSettings& settings, void* context)
{
    return TextLightsFuel(WebPlatform(Page(context)), settings.text, settings.fontSize);
}

}  // namespace

// A buffer of at least `bytes` for what the page and the core hand each other.
WEB_EXPORT(WebBuffer) uint8_t* WebBuffer(size_t bytes)
{
    PageState& page = pageState;
    if (bytes > page.transferRoom) {
        free(page.transferBuffer);
        page.transferBuffer = static_cast<uint8_t*>(malloc(bytes));
        page.transferRoom = page.transferBuffer ? bytes : 0;
    }
    return page.transferBuffer;
}

// The logs picture's file, as the page fetched it; kept for every set-up.
WEB_EXPORT(WebKeepLogs) bool WebKeepLogs(size_t size)
{
    PageState& page = pageState;
    unsigned char* copy = static_cast<unsigned char*>(malloc(size));
    if (!copy || !page.transferBuffer || size > page.transferRoom) {
        free(copy);
        return false;
    }
    memcpy(copy, page.transferBuffer, size);
    free(const_cast<unsigned char*>(page.logsFile));
    page.logsFile = copy;
    page.logsFileSize = size;
    return true;
}

// The set-up with what cannot burn set back to its default, as the X11 program sets it; gives the mends made
// (a SettingsMend).
WEB_EXPORT(WebSetUp) uint32_t WebSetUp(int32_t clientWidth, int32_t clientHeight)
{
    PageState& page = pageState;
    uint32_t mends = MendUnburnableSettings(page.settings, PageTextLights, &page);
    SetUpSaverCanvas(page.canvas, page.settings, page.monitors, WebPlatform(page), clientWidth, clientHeight);
    return mends;
}

WEB_EXPORT(WebSeedNoise) void WebSeedNoise(uint32_t seed)
{
    SeedNoise(pageState.canvas.noise, seed);
}

WEB_EXPORT(WebSeedJumps) void WebSeedJumps(uint32_t seed)
{
    SeedJumpRandom(pageState.canvas, seed);
}

WEB_EXPORT(WebTick) bool WebTick()
{
    PageState& page = pageState;
    return TickSaverCanvas(page.canvas, page.settings, page.monitors);
}

// A step without the jump, as the renderer steps: for the page's seeded pictures.
WEB_EXPORT(WebStep) void WebStep()
{
    StepFlameCanvas(pageState.canvas, pageState.settings);
}

WEB_EXPORT(WebFollowSize) bool WebFollowSize(int32_t clientWidth, int32_t clientHeight)
{
    PageState& page = pageState;
    return FollowClientSize(page.canvas, page.monitors, clientWidth, clientHeight);
}

// Width, height, origin, fuel points and flame level of the canvas.
WEB_EXPORT(WebCanvasFacts) const int32_t* WebCanvasFacts()
{
    PageState& page = pageState;
    const FlameCanvas& canvas = page.canvas;
    int32_t facts[CANVAS_FACTS] = {canvas.width, canvas.height, canvas.originX, canvas.originY,
                                   CanvasHasCells(canvas) ? CountFuelPoints(canvas) : 0, canvas.level};
    memcpy(page.canvasFacts, facts, sizeof page.canvasFacts);
    return page.canvasFacts;
}

// The canvas's pixels as the browser's RGBA bytes; null without a canvas.
WEB_EXPORT(WebFrame) const uint32_t* WebFrame()
{
    PageState& page = pageState;
    const FlameCanvas& canvas = page.canvas;
    if (!canvas.pixels || canvas.cellCount <= 0)
        return nullptr;
    if (canvas.cellCount != page.frameCells) {
        free(page.framePixels);
        page.framePixels = static_cast<uint32_t*>(malloc(static_cast<size_t>(canvas.cellCount) * sizeof(uint32_t)));
        page.frameCells = page.framePixels ? canvas.cellCount : 0;
        if (!page.framePixels)
            return nullptr;
    }
    for (int32_t i = 0; i < canvas.cellCount; ++i) {
        uint32_t pixel = canvas.pixels[i];
        page.framePixels[i] = OPAQUE | (pixel & 0xFF) << 16 | (pixel & 0xFF00) | (pixel >> 16 & 0xFF);
    }
    return page.framePixels;
}

// The text from `count` UTF-16 units in WebBuffer, in Shift-JIS by the core's
// table. Gives its byte count; only a text of at most 39 bytes is taken. A
// character code page 932 lacks (one Windows would write as "?" or as a near
// character) gives -1 - its index and changes nothing.
WEB_EXPORT(WebSetText) int32_t WebSetText(int32_t count)
{
    PageState& page = pageState;
    const uint16_t* units = reinterpret_cast<const uint16_t*>(page.transferBuffer);
    char text[SETTINGS_TEXT_BYTES] = {};
    int32_t length = 0;
    for (int32_t i = 0; i < count; ++i) {
        char bytes[3] = {};
        int written = ShiftJisOfUnit(units[i], bytes);
        uint16_t back = 0;
        ShiftJisCharacterAt(bytes, &back);
        if (back != units[i] || units[i] == 0)
            return -1 - i;
        for (int b = 0; b < written; ++b, ++length)
            if (length < SETTINGS_TEXT_BYTES - 1)
                text[length] = bytes[b];
    }
    if (length < SETTINGS_TEXT_BYTES)
        memcpy(page.settings.text, text, sizeof text);
    return length;
}

// The settings' text as UTF-16 units in WebBuffer; gives their count, with
// 0xFFFD for a byte that starts no character.
WEB_EXPORT(WebTextUnits) int32_t WebTextUnits()
{
    PageState& page = pageState;
    int32_t count = TextCharacters(page, page.settings.text);
    uint16_t* units = reinterpret_cast<uint16_t*>(WebBuffer(SETTINGS_TEXT_BYTES * sizeof(uint16_t)));
    if (!units)
        return 0;
    for (int32_t i = 0; i < count; ++i)
        units[i] = page.characterUnits[i] == NO_CHARACTER ? REPLACEMENT_CHARACTER : page.characterUnits[i];
    return count;
}

// The settings table's numbers for the page's controls: a value's lowest (or highest) number, the strengths
// in order (0 past the last) and the text's bytes.
WEB_EXPORT(WebSettingsRange) int32_t WebSettingsRange(int32_t value, bool highest)
{
    const SettingsKey& key = settingsKeys[value >= 0 && value < SETTINGS_VALUES ? value : VALUE_TEXT];
    return highest ? key.highest : key.lowest;
}

WEB_EXPORT(WebStrength) int32_t WebStrength(int32_t place)
{
    return place >= 0 && place < FLAME_STRENGTH_COUNT ? FLAME_STRENGTHS[place] : 0;
}

WEB_EXPORT(WebTextBytes) int32_t WebTextBytes()
{
    return SETTINGS_TEXT_BYTES - 1;
}

WEB_EXPORT(WebNumber) int32_t WebNumber(int32_t value)
{
    return SettingsNumber(pageState.settings, static_cast<SettingsValue>(value));
}

WEB_EXPORT(WebSetNumber) void WebSetNumber(int32_t value, int32_t number)
{
    SetSettingsNumber(&pageState.settings, static_cast<SettingsValue>(value), number);
}

// Reads a settings file of `length` bytes from WebBuffer with the core's reader, as the X11 program reads it:
// a file of valid UTF-8 is UTF-8.
WEB_EXPORT(WebReadSettings) void WebReadSettings(size_t length)
{
    PageState& page = pageState;
    char* copy = static_cast<char*>(malloc(length ? length : 1));
    if (copy && page.transferBuffer)
        memcpy(copy, page.transferBuffer, length);
    free(page.openedFile);
    page.openedFile = copy;
    page.openedFileLength = copy ? length : 0;
    ReadSettingsFileTakingUtf8(page.openedFile, page.openedFileLength, &page.settings);
}

// Writes the settings into the last file opened with the core's writer, as the Windows program sets its keys:
// a file read as UTF-8 gets its text in UTF-8, one in UTF-16 (or none opened) a new file. The bytes are left in
// WebBuffer; gives their count.
WEB_EXPORT(WebWriteSettings) int32_t WebWriteSettings()
{
    PageState& page = pageState;
    size_t length = 0;
    char* written = WithSettingsWrittenTakingUtf8(page.openedFile, page.openedFileLength, page.settings, &length);
    if (!written)
        written = WithSettingsWritten(nullptr, 0, page.settings, &length);
    uint8_t* out = written ? WebBuffer(length) : nullptr;
    if (out)
        memcpy(out, written, length);
    free(written);
    return out ? static_cast<int32_t>(length) : -1;
}
