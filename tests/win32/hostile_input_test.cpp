// Hostile input: generated command lines through the argument reader and the
// switch decision, and mutated settings files through the loader, the canvas
// set-up, a few ticks and the teardown. Each harness prints what it tried;
// TAMBLORN_STRESS=1 runs the full counts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "command_line.h"
#include "configure_dialog.h"
#include "canvas_surface.h"
#include "effect_window.h"
#include "flame_canvas.h"
#include "host_state.h"
#include "resource_ids.h"
#include "saver_settings.h"
#include "settings_mutations.h"
#include "win_test_support.h"

namespace {

const UINT JAPANESE_CODE_PAGE = 932;
const unsigned char LAST_BLANK_BYTE = 0x20;
const uint64_t WINDOW_NUMBER_RANGE = 1ULL << 32;

// The case in hand, printed should the process fault on it.
std::string currentCase;

LONG WINAPI ReportFaultingCase(EXCEPTION_POINTERS* fault)
{
    fprintf(stderr, "fault %08lx on the case:", fault->ExceptionRecord->ExceptionCode);
    for (unsigned char byte : currentCase)
        fprintf(stderr, " %02X", byte);
    fprintf(stderr, "\n");
    return EXCEPTION_CONTINUE_SEARCH;
}

std::string Printable(const std::string& bytes)
{
    std::string shown;
    char hex[8];
    for (unsigned char byte : bytes) {
        if (byte >= 0x20 && byte < 0x7F) {
            shown += static_cast<char>(byte);
        } else {
            snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        }
    }
    return shown;
}

// ---- Command lines ---------------------------------------------------------

const char* NextCharacter(const char* at)
{
    if (*at == '\0')
        return at;
    return IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1] != '\0' ? at + 2 : at + 1;
}

bool IsBlankByte(char byte)
{
    return static_cast<unsigned char>(byte) <= LAST_BLANK_BYTE;
}

// Where the argument text begins, by the start-up rules: behind the program
// name, quoted or not, and behind every byte up to the blank after it.
const char* ExpectedArgumentText(const char* line)
{
    const char* at = line;
    if (*at == '"') {
        do
            at = NextCharacter(at);
        while (*at != '\0' && *at != '"');
        if (*at == '"')
            ++at;
    } else {
        while (*at != '\0' && !IsBlankByte(*at))
            at = NextCharacter(at);
    }
    while (*at != '\0' && IsBlankByte(*at))
        at = NextCharacter(at);
    return at;
}

// The decimal run at the start, modulo 2^32.
DWORD ExpectedNumber(const char* at)
{
    uint64_t value = 0;
    for (; *at >= '0' && *at <= '9'; ++at)
        value = (value * 10 + static_cast<uint64_t>(*at - '0')) % WINDOW_NUMBER_RANGE;
    return static_cast<DWORD>(value);
}

const char* AfterSpaces(const char* at)
{
    while (*at == ' ')
        ++at;
    return at;
}

// The switch decision by the grammar: the first character that is not a
// blank, dash or slash decides; only s, c, p, l and a in either case are switches.
SaverSwitch ExpectedSwitch(const char* text)
{
    const char* at = text;
    while (*at == ' ' || *at == '-' || *at == '/')
        ++at;
    switch (*at) {
    case '\0':
        return {SWITCH_NONE, 0};
    case 's':
    case 'S':
        return {SWITCH_FULL_SCREEN, 0};
    case 'p':
    case 'P':
    case 'l':
    case 'L':
        return {SWITCH_PREVIEW, ExpectedNumber(AfterSpaces(at + 1))};
    case 'c':
    case 'C':
        return {SWITCH_CONFIGURE, at[1] == ':' ? ExpectedNumber(at + 2) : 0};
    case 'a':
    case 'A':
        return {SWITCH_PASSWORD, ExpectedNumber(AfterSpaces(at + 1))};
    default:
        return {SWITCH_REJECTED, 0};
    }
}

const char* const PROGRAM_NAMES[] = {
    "",
    "\"C:\\Program Files\\Tamblorn\\Tamblorn.scr\"",
    "C:\\WINDOWS\\TAMBLORN.SCR",
    "\"C:\\WINDOWS\\Tamblorn.scr",  // never closed
    "\"\"",
    "\x8C\xDC\x8E\x9A.scr",
    "\"C:\\\x83\x22.scr\"",  // a trail byte that is a quote
    "Tamblorn\x83\x20.scr",  // a trail byte that is a blank
    "\xC3\xDD\xCC\xDF\xDB\xDD.scr",
    "Tamblorn.scr/s",
};
const char SWITCH_LETTERS[] = "scplaSCPLA";
const char* const NUMBERS[] = {"0",
                               "1",
                               "123",
                               "00042",
                               "4294967295",
                               "4294967296",
                               "4294967297",
                               "18446744073709551615",
                               "18446744073709551616",
                               "340282366920938463463374607431768211457",
                               "-1",
                               "-123",
                               "+5",
                               "99999999999999999999999999"};


std::string RandomBlanks(std::mt19937& random, int most)
{
    static const char blanks[] = " \t \x01\x1F \r\n";
    std::string run;
    int length = static_cast<int>(random() % (most + 1));
    for (int i = 0; i < length; ++i)
        run += blanks[random() % (sizeof blanks - 1)];
    return run;
}

std::string RandomNumber(std::mt19937& random, HWND realWindow)
{
    switch (random() % 4) {
    case 0:
        return NUMBERS[random() % (sizeof NUMBERS / sizeof NUMBERS[0])];
    case 1:
        return std::to_string(random());
    case 2:
        return std::to_string(reinterpret_cast<UINT_PTR>(realWindow));
    default: {
        std::string digits;
        int length = 1 + static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i)
            digits += static_cast<char>('0' + random() % 10);
        return digits;
    }
    }
}

std::string RandomCommandLine(std::mt19937& random, HWND realWindow)
{
    switch (random() % 10) {
    case 0:
        return "";
    case 1:
        return RandomBytes(random, 80);
    default:
        break;
    }
    std::string line = PROGRAM_NAMES[random() % (sizeof PROGRAM_NAMES / sizeof PROGRAM_NAMES[0])];
    line += RandomBlanks(random, 3);
    int leads = static_cast<int>(random() % 4);
    for (int i = 0; i < leads; ++i)
        line += " -/"[random() % 3];
    line += random() % 8 ? SWITCH_LETTERS[random() % (sizeof SWITCH_LETTERS - 1)] : RandomByte(random);
    if (random() % 3 == 0)
        line += ':';
    line += std::string(random() % 3, ' ');
    if (random() % 4 == 0)
        line += '\t';
    if (random() % 4)
        line += RandomNumber(random, realWindow);
    if (random() % 2)
        line += random() % 2 ? " /s /p 5" : RandomBytes(random, 12);
    if (random() % 4 == 0)
        line += '"';
    if (random() % 3 == 0)
        line += RandomLeadByte(random);
    return line;
}

const char* const SWITCH_NAMES[] = {"none", "configure", "full screen", "preview", "password", "rejected"};

}  // namespace

TEST(HostileInput, GeneratedCommandLinesGiveOnlyDesignedSwitches)
{
    ASSERT_EQ(GetACP(), JAPANESE_CODE_PAGE) << "the double-byte cases need the Japanese code page";
    const int count = StressCount(20000, 100000);
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = SetUnhandledExceptionFilter(ReportFaultingCase);
    HWND realWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const unsigned seed = GetTickCount();
    std::mt19937 random(seed);
    int kinds[SWITCH_REJECTED + 1] = {};
    int mismatches = 0;
    int previewsInAWindow = 0;
    DWORD start = GetTickCount();
    for (int i = 0; i < count; ++i) {
        currentCase = RandomCommandLine(random, realWindow);
        const char* line = currentCase.c_str();
        const char* argumentText = FindArgumentText(line);
        ASSERT_GE(argumentText, line);
        ASSERT_LE(argumentText, line + currentCase.size()) << Printable(currentCase);
        SaverSwitch got = {SWITCH_REJECTED, 0xDEADBEEF};
        ReadSaverSwitch(argumentText, &got);
        SaverSwitch expected = ExpectedSwitch(ExpectedArgumentText(line));
        ASSERT_TRUE(got.kind >= SWITCH_NONE && got.kind <= SWITCH_REJECTED) << Printable(currentCase);
        ++kinds[got.kind];
        // Start-up runs a preview only in an existing window; any other preview number is rejected.
        if (got.kind == SWITCH_PREVIEW && got.windowNumber != 0 &&
            IsWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(got.windowNumber))))
            ++previewsInAWindow;
        if (argumentText != ExpectedArgumentText(line) || got.kind != expected.kind ||
            got.windowNumber != expected.windowNumber || ParseDecimal(argumentText) != ExpectedNumber(argumentText)) {
            if (++mismatches <= 10)
                ADD_FAILURE() << "command line \"" << Printable(currentCase) << "\": argument at "
                              << argumentText - line << ", switch " << SWITCH_NAMES[got.kind] << " number "
                              << got.windowNumber << "; expected argument at " << ExpectedArgumentText(line) - line
                              << ", switch " << SWITCH_NAMES[expected.kind] << " number " << expected.windowNumber;
        }
    }
    printf("command lines: %d tried in %lu ms (seed %u):", count, GetTickCount() - start, seed);
    for (int kind = SWITCH_NONE; kind <= SWITCH_REJECTED; ++kind)
        printf(" %s %d,", SWITCH_NAMES[kind], kinds[kind]);
    printf(" %d unlike the rules; %d previews in an existing window\n", mismatches, previewsInAWindow);
    EXPECT_EQ(mismatches, 0);
    for (int kind = SWITCH_NONE; kind <= SWITCH_REJECTED; ++kind)
        EXPECT_GT(kinds[kind], 0) << SWITCH_NAMES[kind] << " never came up";
    EXPECT_GT(previewsInAWindow, 0);
    DestroyWindow(realWindow);
    SetUnhandledExceptionFilter(previousFilter);
}

namespace {

// ---- Settings files ----------------------------------------------------------

const char EFFECT_CLASS[] = "TamblornHostileEffect";
const int CLIENT_WIDTH = 640;
const int CLIENT_HEIGHT = 480;
const int TICKS_PER_CASE = 2;
const int DIALOG_EVERY = 10;
const int TEXT_BAND_TOP = FLAME_HEADROOM / 2;



void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

// Drops the profile functions' cached copy, so that the next read sees the file.
void ForgetCachedSettings()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SETTINGS_FILE_NAME);
}

LRESULT CALLBACK EffectProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return EffectWindowProc(window, message, wParam, lParam);
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
    int readersDiffering;
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
        ASSERT_EQ(canvasSurface.logsPicture, nullptr);
    } else if (settings.fireMode == FIRE_BONFIRE) {
        expectedWidth = logsWidth;
        expectedHeight = logsHeight + FLAME_HEADROOM;
        fuelTop = FLAME_HEADROOM;
        ASSERT_NE(canvasSurface.logsPicture, nullptr);
    } else {
        expectedWidth = 0;
        expectedHeight = 0;
        ASSERT_EQ(canvasSurface.logsPicture, nullptr);
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
        ASSERT_EQ(canvasSurface.canvasBitmap, nullptr);
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

// The text as the profile functions hand it out passes through the system's
// code page, which alters bytes that form no character of it.
std::string ThroughTheCodePage(const char* text)
{
    wchar_t wide[SETTINGS_TEXT_BYTES];
    char narrow[SETTINGS_TEXT_BYTES] = {};
    int characters = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, SETTINGS_TEXT_BYTES);
    WideCharToMultiByte(CP_ACP, 0, wide, characters, narrow, SETTINGS_TEXT_BYTES - 1, nullptr, nullptr);
    return narrow;
}

// The core's reader of the same bytes gives the record the profile functions gave.
bool CoreReaderAgrees(const std::string& file)
{
    SaverSettings core;
    memset(&core, 0x5A, sizeof core);
    ReadSettingsFile(file.data(), file.size(), &core);
    const SaverSettings& system = saverSettings;
    bool textAgrees = ThroughTheCodePage(core.text) == system.text;
    bool agrees = textAgrees && core.fontSize == system.fontSize && core.flameLimit == system.flameLimit &&
                  core.loop == system.loop && core.fireMode == system.fireMode;
    EXPECT_TRUE(agrees) << "core text \"" << Printable(core.text) << "\" system \"" << Printable(system.text)
                        << "\" size " << int{core.fontSize} << "/" << int{system.fontSize} << " limit "
                        << core.flameLimit << "/" << system.flameLimit << " loop " << core.loop << "/" << system.loop
                        << " fire " << core.fireMode << "/" << system.fireMode;
    return agrees;
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
    RegisterTestClass(EFFECT_CLASS, EffectProc);
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
        HWND window = CreateWindowExA(0, EFFECT_CLASS, "effect", WS_POPUP, 0, 0, CLIENT_WIDTH, CLIENT_HEIGHT, nullptr,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        CheckCanvasAfterSetUp(logsWidth, logsHeight, &tally);
        tally.readersDiffering += CoreReaderAgrees(currentCase) ? 0 : 1;
        // A canvas found wrong is not stepped: the failure is reported, not a fault.
        for (int tick = 0; tick < TICKS_PER_CASE && !HasFatalFailure(); ++tick)
            SendMessageA(window, WM_TIMER, EFFECT_TIMER_ID, 0);
        CheckCanvasAfterTicks();
        DestroyWindow(window);
        ASSERT_EQ(flameCanvas.heat, nullptr);
        ASSERT_EQ(canvasSurface.canvasBitmap, nullptr);
        ASSERT_EQ(canvasSurface.logsPicture, nullptr);
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
           "cancelled over %d of them; %d records of the core's reader differing\n",
           count, GetTickCount() - start, seed, tally.textCanvases, tally.bonfires, tally.emptyCanvases,
           tally.dialogsCancelled, tally.readersDiffering);
    RemoveSettingsFile();
    hostState.isPreview = 0;
    SetUnhandledExceptionFilter(previousFilter);
}
