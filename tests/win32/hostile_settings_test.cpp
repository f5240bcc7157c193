// Hostile settings files: mutated files through the loader, the canvas set-up,
// a few ticks and the teardown. The harness prints what it tried;
// TAMBLORN_STRESS=1 runs the full count.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "configure_dialog.h"
#include "effect_window.h"
#include "flame_canvas.h"
#include "host_state.h"
#include "resource_ids.h"
#include "saver_settings.h"
#include "win_test_support.h"

namespace {

const int CLIENT_WIDTH = 640;
const int CLIENT_HEIGHT = 480;
const int TICKS_PER_CASE = 2;
const int DIALOG_EVERY = 10;
const size_t LONG_VALUE_BYTES = 10 * 1024;
const int TEXT_BAND_TOP = FLAME_HEADROOM / 2;

const char* const SECTIONS[] = {"BURNING", "FONT", "FLAME", "WHITCH", "burning", "Font", "UNKNOWN", ""};
const char* const KEYS[] = {"TEXT", "SIZE", "LIMIT", "LOOP", "FIRE", "size", "OTHER", ""};
const char* const VALUES[] = {"0",
                              "1",
                              "2",
                              "6",
                              "12",
                              "13",
                              "14",
                              "32",
                              "127",
                              "128",
                              "200",
                              "255",
                              "300",
                              "-1",
                              "-56",
                              "-128",
                              "-300",
                              "2147483647",
                              "2147483648",
                              "4294967295",
                              "4294967296",
                              "99999999999",
                              "-2147483649",
                              "-99999999999",
                              "0x10",
                              " 12",
                              "12abc",
                              "+7",
                              "",
                              "\x8C\xDC\x8E\x9A\x91\x97\x82\xE8\x89\xCE",
                              "&&&&&&&&",
                              "A\tB",
                              "\"quoted\"",
                              "=",
                              "[FONT]",
                              "0123456789012345678901234567890123456789ABC"};

std::string RandomValue(std::mt19937& random)
{
    switch (random() % 8) {
    case 0:
        return std::string(LONG_VALUE_BYTES, "9A\x8C"[random() % 3]);
    case 1: {
        // Cut inside a double-byte character at the 39-byte limit.
        std::string text(38, 'A');
        return text + RandomLeadByte(random) + "B";
    }
    case 2:
        return RandomBytes(random, 40);
    default:
        return VALUES[random() % (sizeof VALUES / sizeof VALUES[0])];
    }
}

struct SettingsKey {
    const char* section;
    const char* key;
    const char* usual[3];
};
const SettingsKey SETTINGS_KEYS[] = {
    {"BURNING", "TEXT", {"\x8C\xDC\x8E\x9A\x91\x97\x82\xE8\x89\xCE", "Tamblorn", "A"}},
    {"FONT", "SIZE", {"32", "16", "64"}},
    {"FLAME", "LIMIT", {"6", "8", "12"}},
    {"FLAME", "LOOP", {"0", "1", "1"}},
    {"WHITCH", "FIRE", {"0", "1", "1"}},
};

// One line of the file that the profile functions may or may not make sense of.
std::string RandomLine(std::mt19937& random)
{
    switch (random() % 5) {
    case 0:
        return std::string("[") + SECTIONS[random() % (sizeof SECTIONS / sizeof SECTIONS[0])] + "]";
    case 1:
        return KEYS[random() % (sizeof KEYS / sizeof KEYS[0])];  // a key without "="
    case 2:
        return std::string(KEYS[random() % (sizeof KEYS / sizeof KEYS[0])]) + "=";
    case 3:
        return random() % 2 ? "; a comment" : RandomBytes(random, 30);
    default:
        return std::string(KEYS[random() % (sizeof KEYS / sizeof KEYS[0])]) + "=" + RandomValue(random);
    }
}

// A settings file with the five keys in their sections, their values usual or
// hostile, keys repeated or left without values, and lines of every kind in
// between; then line ends of one kind or mixed, and cuts and stray bytes.
std::string MutatedSettingsFile(std::mt19937& random)
{
    const char* lineEnd = random() % 3 == 0 ? "\n" : random() % 2 ? "\r\n" : "\r";
    std::string file;
    if (random() % 20 == 0)
        file += random() % 2 ? "\xEF\xBB\xBF" : "\xFF\xFE";
    for (const SettingsKey& key : SETTINGS_KEYS) {
        if (random() % 8 == 0)
            continue;
        file += std::string("[") + key.section + "]" + lineEnd;
        int repeats = random() % 6 == 0 ? 2 : 1;
        for (int i = 0; i < repeats; ++i) {
            std::string value = random() % 2 ? key.usual[random() % 3] : RandomValue(random);
            switch (random() % 10) {
            case 0:
                file += key.key;
                break;
            case 1:
                file += std::string(key.key) + " = " + value;
                break;
            default:
                file += std::string(key.key) + "=" + value;
                break;
            }
            file += random() % 10 ? lineEnd : "\r\n";
        }
        int strays = random() % 3 == 0 ? static_cast<int>(random() % 4) : 0;
        for (int i = 0; i < strays; ++i)
            file += RandomLine(random) + lineEnd;
    }
    int damages = static_cast<int>(random() % 4);
    for (int i = 0; i < damages && !file.empty(); ++i) {
        size_t at = random() % file.size();
        switch (random() % 3) {
        case 0:
            file.resize(at);  // truncated
            break;
        case 1:
            file.insert(at, 1, static_cast<char>(random() % 256));  // binary, NUL included
            break;
        default:
            file[at] = static_cast<char>(random() % 256);
            break;
        }
    }
    return file;
}

void LogsPictureSize(int* width, int* height)
{
    HBITMAP picture = static_cast<HBITMAP>(
        LoadImageA(hostState.moduleInstance, MAKEINTRESOURCEA(IDB_LOGS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP description = {};
    GetObjectA(picture, sizeof description, &description);
    *width = description.bmWidth;
    *height = description.bmHeight;
    DeleteObject(picture);
}

struct SettingsTally {
    int textCanvases;
    int bonfires;
    int emptyCanvases;
    int dialogsCancelled;
};

// The canvas the set-up built from whatever the file held, checked against
// what the step, the paint and the teardown rely on.
void CheckCanvasAfterSetUp(int logsWidth, int logsHeight, SettingsTally* tally)
{
    const SaverSettings& settings = saverSettings;
    const FlameCanvas& canvas = flameCanvas;
    ASSERT_LT(strnlen(settings.text, SETTINGS_TEXT_BYTES), static_cast<size_t>(SETTINGS_TEXT_BYTES));
    int64_t expectedWidth;
    int64_t expectedHeight;
    int64_t fuelTop = 1;
    int64_t fuelBottom = canvas.height - 2;
    if (settings.fireMode == FIRE_TEXT) {
        int length = static_cast<int>(strlen(settings.text));
        expectedWidth = static_cast<int64_t>(length) * settings.fontSize;
        expectedHeight = settings.fontSize + FLAME_HEADROOM;
        fuelTop = TEXT_BAND_TOP;
        fuelBottom = TEXT_BAND_TOP + settings.fontSize - 1;
        ASSERT_EQ(canvas.logsPicture, nullptr);
    } else if (settings.fireMode == FIRE_BONFIRE) {
        expectedWidth = logsWidth;
        expectedHeight = logsHeight + FLAME_HEADROOM;
        fuelTop = FLAME_HEADROOM;
        ASSERT_NE(canvas.logsPicture, nullptr);
    } else {
        expectedWidth = 0;
        expectedHeight = 0;
        ASSERT_EQ(canvas.logsPicture, nullptr);
    }
    ASSERT_EQ(canvas.width, expectedWidth);
    ASSERT_EQ(canvas.height, expectedHeight);
    ASSERT_EQ(canvas.level, 0);
    ASSERT_EQ(canvas.shrinking, 0);
    ASSERT_EQ(canvas.coolMask, CoolMaskForLevel(0));
    ASSERT_EQ(canvas.originX, (CLIENT_WIDTH - canvas.width) / 2);
    ASSERT_EQ(canvas.originY, (CLIENT_HEIGHT - canvas.height) / 2);
    if (canvas.width <= 0 || canvas.height <= 0) {
        ASSERT_EQ(canvas.cellCount, 0);
        ASSERT_EQ(canvas.canvasBitmap, nullptr);
        ASSERT_FALSE(CanvasHasCells());
        ++tally->emptyCanvases;
        return;
    }
    ASSERT_TRUE(CanvasHasCells());
    for (int32_t i = 0; i < canvas.cellCount; ++i) {
        if (canvas.heat[i] != 0 || canvas.pixels[i] != 0 || (canvas.fuel[i] != 0 && canvas.fuel[i] != FUEL_VALUE))
            FAIL() << "cell " << i << " heat " << int{canvas.heat[i]} << " fuel " << int{canvas.fuel[i]};
        if (canvas.fuel[i] == 0)
            continue;
        int32_t x = i % canvas.width;
        int32_t y = i / canvas.width;
        if (x < 1 || x > canvas.width - 2 || y < fuelTop || y > fuelBottom)
            FAIL() << "fuel at (" << x << ", " << y << ") outside rows " << fuelTop << ".." << fuelBottom;
    }
    ++(settings.fireMode == FIRE_TEXT ? tally->textCanvases : tally->bonfires);
}

void CheckCanvasAfterTicks()
{
    const FlameCanvas& canvas = flameCanvas;
    ASSERT_GE(canvas.level, 0);
    ASSERT_LE(canvas.level, LEVEL_CEILING);
    if (!CanvasHasCells())
        return;
    for (int32_t i = 0; i < canvas.cellCount; ++i)
        if (canvas.heat[i] > IGNITION_HEAT)
            FAIL() << "heat " << int{canvas.heat[i]} << " at cell " << i;
}

// The dialog opened over the file and cancelled writes nothing.
void CancelDialogOverTheFile()
{
    HWND dialog =
        CreateDialogParamA(hostState.moduleInstance, MAKEINTRESOURCEA(IDD_CONFIGURE), nullptr, ConfigureDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    DestroyWindow(dialog);
    PumpPendingMessages();
}

}  // namespace

TEST(HostileInput, MutatedSettingsFilesLoadAndBuildACanvasTheProgramCanRun)
{
    const int count = StressCount(300, 10000);
    UseTestModuleAsProgram();
    hostState.isPreview = 1;  // no closing rules: the default handling is the platform's
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = SetUnhandledExceptionFilter(ReportFaultingCase);
    int logsWidth;
    int logsHeight;
    LogsPictureSize(&logsWidth, &logsHeight);
    const std::string path = SettingsFilePath();
    const unsigned seed = GetTickCount();
    std::mt19937 random(seed);
    SettingsTally tally = {};
    DWORD start = GetTickCount();
    for (int i = 0; i < count; ++i) {
        currentCase = MutatedSettingsFile(random);
        SCOPED_TRACE("settings file \"" + Printable(currentCase) + "\"");
        ForgetCachedSettings();
        WriteWholeFile(path, currentCase);
        HWND window = CreateEffectPopup(CLIENT_WIDTH, CLIENT_HEIGHT);
        ASSERT_NE(window, nullptr);
        CheckCanvasAfterSetUp(logsWidth, logsHeight, &tally);
        // A canvas found wrong is not stepped: the failure is reported, not a fault.
        for (int tick = 0; tick < TICKS_PER_CASE && !HasFatalFailure(); ++tick)
            SendMessageA(window, WM_TIMER, EFFECT_TIMER_ID, 0);
        CheckCanvasAfterTicks();
        DestroyWindow(window);
        ASSERT_EQ(flameCanvas.heat, nullptr);
        ASSERT_EQ(flameCanvas.canvasBitmap, nullptr);
        ASSERT_EQ(flameCanvas.logsPicture, nullptr);
        if (i % DIALOG_EVERY == 0) {
            CancelDialogOverTheFile();
            ++tally.dialogsCancelled;
        }
        ForgetCachedSettings();
        ASSERT_TRUE(ReadWholeFile(path) == currentCase) << "the file was written to";
        if (HasFatalFailure())
            break;
    }
    printf("settings files: %d tried in %lu ms (seed %u): %d text canvases, %d bonfires, %d without cells; the dialog "
           "cancelled over %d of them\n",
           count, GetTickCount() - start, seed, tally.textCanvases, tally.bonfires, tally.emptyCanvases,
           tally.dialogsCancelled);
    RemoveSettingsFile();
    hostState.isPreview = 0;
    SetUnhandledExceptionFilter(previousFilter);
}
