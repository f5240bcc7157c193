// In-process properties only; the dialog as a user sees it is driven end to end (run_e2e.py, group dialog).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "configure_dialog.h"
#include "host_state.h"
#include "resource_ids.h"
#include "settings_profile.h"
#include "wide_calls.h"
#include "win_test_support.h"

namespace {

// Texts as the "A" functions give them under code page 932.
const char CAPTION[] = "Tamblorn\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x83\x5a\x81\x5b\x83\x6f\x90\xdd\x92\xe8";
const UINT SHIFT_JIS = 932;
const DWORD DIALOG_STYLE = 0x80C800C8;
const DWORD LABEL_ID = 0xFFFFFFFF;
const WORD ORDINAL_MARK = 0xFFFF;

struct ExpectedControl {
    DWORD id;
    const char* className;
    const char* text;
    DWORD style;
    short x, y, width, height;
};

const ExpectedControl CONTROLS[] = {
    {IDOK, "BUTTON", "OK", 0x50010001, 281, 7, 50, 14},
    {IDCANCEL, "BUTTON", "\x83\x4c\x83\x83\x83\x93\x83\x5a\x83\x8b", 0x50010000, 281, 24, 50, 14},
    {IDC_TEXT, "EDIT", "", 0x50810080, 66, 7, 155, 14},
    {LABEL_ID, "STATIC", "\x95\x5c\x8e\xa6\x95\xb6\x8e\x9a", 0x50020000, 21, 7, 33, 8},
    {IDC_FONT_SIZE, "EDIT", "", 0x50810080, 66, 26, 40, 14},
    {LABEL_ID, "STATIC", "\x83\x74\x83\x48\x83\x93\x83\x67\x83\x54\x83\x43\x83\x59", 0x50020000, 17, 29, 42, 8},
    {IDC_FIRE_TEXT, "BUTTON", "\x95\xb6\x8e\x9a\x94\x52\x82\xa6\x82\xe9", 0x50000009, 66, 47, 52, 10},
    {IDC_FIRE_BONFIRE, "BUTTON", "\x95\xb0\x82\xab\x89\xce", 0x50000009, 127, 47, 38, 10},
    {IDC_LOOP, "BUTTON", "\x83\x8b\x81\x5b\x83\x76", 0x50010003, 66, 58, 35, 10},
    {IDC_FLAME_LOW, "BUTTON", "\x8e\xe3\x89\xce", 0x50000009, 67, 71, 32, 10},
    {IDC_FLAME_MEDIUM, "BUTTON", "\x92\x86\x89\xce", 0x50000009, 135, 70, 32, 10},
    {IDC_FLAME_HIGH, "BUTTON", "\x8b\xad\x89\xce", 0x50000009, 197, 70, 32, 10},
};
const DWORD CONTROL_COUNT = sizeof CONTROLS / sizeof CONTROLS[0];

const char SAVE_FAILED[] = "\x90\xdd\x92\xe8\x82\xf0\x95\xdb\x91\xb6\x82\xc5"
                          "\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";
const char TEXT_NOT_STORABLE[] = "\x95\x5c\x8e\xa6\x95\xb6\x8e\x9a\x82\xc9\x8e\x67"
                                "\x82\xa6\x82\xc8\x82\xa2\x95\xb6\x8e\x9a\x82\xaa\x82\xa0"
                                "\x82\xe8\x82\xdc\x82\xb7\x81\x42";
const char A_AND_TWENTY_A_KANA[] = "a\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0"
                                   "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0";
const size_t BYTES_OF_NINETEEN_KANA = 1 + 19 * 2;

const int SETTING_RADIOS[] = {IDC_FIRE_TEXT, IDC_FIRE_BONFIRE, IDC_FLAME_LOW, IDC_FLAME_MEDIUM, IDC_FLAME_HIGH};

// Reads the template as compiled into this executable; past its end every read gives 0.
const BYTE* templateAt;
const BYTE* templateEnd;

// A little-endian field of 2 or 4 bytes, as on every Windows target.
DWORD Read(ptrdiff_t bytes)
{
    DWORD value = 0;
    if (templateEnd - templateAt >= bytes)
        memcpy(&value, templateAt, bytes);
    templateAt += bytes;
    return value;
}

// A string in code page 932, or "#number" for an ordinal.
std::string Text()
{
    WORD unit = Read(2);
    if (unit == ORDINAL_MARK)
        return "#" + std::to_string(Read(2));
    std::wstring text;
    for (; unit != 0; unit = Read(2))
        text.push_back(static_cast<wchar_t>(unit));
    char bytes[256] = "";
    WideCharToMultiByte(SHIFT_JIS, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

std::vector<int> CheckedRadios(HWND dialog)
{
    std::vector<int> checked;
    for (int id : SETTING_RADIOS)
        if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
            checked.push_back(id);
    return checked;
}

void Click(HWND dialog, int id)
{
    SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
}

// A timer the modal loop dispatches chooses the bonfire and presses. The ticks count from the start, whether
// or not the dialog was found: past the bound every dialog of this thread (a message box too) is ended, so a
// dialog that ignores its buttons, or never shows its caption, fails the test instead of hanging it.
const UINT DRIVE_INTERVAL_MS = 20;
const int GIVE_UP_TICKS = 250;
const INT_PTR GIVEN_UP = -2;
int modalPress;
const WCHAR* modalText;  // typed before the press, if any
bool modalPressed;
int modalTicks;

BOOL CALLBACK EndAnyDialog(HWND window, LPARAM)
{
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (strcmp(className, "#32770") == 0)
        EndDialog(window, GIVEN_UP);
    return TRUE;
}

void CALLBACK DriveModalDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND shown = FindWindowA("#32770", CAPTION);
    if (shown && !modalPressed) {
        modalPressed = true;
        Click(shown, IDC_FIRE_BONFIRE);
        if (modalText)
            SendDlgItemMessageW(shown, IDC_TEXT, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(modalText));
        PostMessageA(GetDlgItem(shown, modalPress), BM_CLICK, 0, 0);
    }
    if (++modalTicks >= GIVE_UP_TICKS)
        EnumThreadWindows(GetCurrentThreadId(), EndAnyDialog, 0);
}

INT_PTR RunModal(int press, const WCHAR* text = nullptr)
{
    modalPress = press;
    modalText = text;
    modalPressed = false;
    modalTicks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, DRIVE_INTERVAL_MS, DriveModalDialog);
    INT_PTR result = ShowConfigureDialog(nullptr);
    KillTimer(nullptr, timer);
    PumpMessages();
    EXPECT_TRUE(modalPressed) << "the dialog never showed its caption";
    EXPECT_LT(modalTicks, GIVE_UP_TICKS) << "the dialog stayed open";
    return result;
}

// Stands in for the message box: notes what it says, then presses the owner's Cancel.
std::vector<std::string> messagesShown;
int WINAPI NoteMessageAndCancel(HWND owner, const WCHAR* text, const WCHAR*, UINT)
{
    char bytes[256] = "";
    WideCharToMultiByte(SHIFT_JIS, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    messagesShown.push_back(bytes);
    PostMessageA(GetDlgItem(owner, IDCANCEL), BM_CLICK, 0, 0);
    return IDOK;
}

class ConfigureDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestModuleAsProgram();
        RemoveSettingsFile();
    }
    void TearDown() override
    {
        DestroyWindow(dialog);
        PumpMessages();
        RemoveSettingsFile();
    }
    // Left hidden: without a window manager Wine waits two seconds for every shown window to be withdrawn.
    HWND Open()
    {
        DestroyWindow(dialog);
        dialog = CreateDialogParamA(hostState.moduleInstance, MAKEINTRESOURCEA(IDD_CONFIGURE), nullptr,
                                    ConfigureDialogProc, 0);
        PumpMessages();
        return dialog;
    }
    HWND dialog = nullptr;
};

}  // namespace

TEST_F(ConfigureDialog, TheCompiledTemplateIsAJapaneseDialogWithItsTwelveControls)
{
    const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    HRSRC found = FindResourceExA(hostState.moduleInstance, RT_DIALOG, MAKEINTRESOURCEA(IDD_CONFIGURE), japanese);
    ASSERT_NE(found, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(hostState.moduleInstance, found)));
    templateAt = data;
    templateEnd = data + SizeofResource(hostState.moduleInstance, found);

    const DWORD head[] = {0xFFFF0001, 0, 0, DIALOG_STYLE};  // extended version 1, help id, extended style, style
    for (DWORD expected : head)
        EXPECT_EQ(Read(4), expected);
    ASSERT_EQ(Read(2), CONTROL_COUNT);
    const short frame[] = {0, 0, 338, 95};
    for (short expected : frame)
        EXPECT_EQ(static_cast<short>(Read(2)), expected);
    EXPECT_EQ(Text(), "") << "menu";
    EXPECT_EQ(Text(), "") << "class";
    EXPECT_EQ(Text(), CAPTION);
    EXPECT_EQ(Read(4), 8u | 400u << 16) << "8 points, weight 400";
    EXPECT_EQ(Read(2), 0x0100u) << "not italic, character set 1";
    EXPECT_EQ(Text(), "MS Shell Dlg");

    for (const ExpectedControl& expected : CONTROLS) {
        SCOPED_TRACE(expected.id);
        while ((templateAt - data) % 4 != 0)
            templateAt++;
        EXPECT_EQ(Read(4) | Read(4), 0u) << "help id, extended style";
        EXPECT_EQ(Read(4), expected.style);
        const short geometry[] = {expected.x, expected.y, expected.width, expected.height};
        for (short value : geometry)
            EXPECT_EQ(static_cast<short>(Read(2)), value);
        EXPECT_EQ(Read(4), expected.id);
        EXPECT_EQ(Text(), expected.className);
        EXPECT_EQ(Text(), expected.text);
        templateAt += Read(2);  // creation data
    }
    EXPECT_LE(templateAt, templateEnd);
}

// All five radios share one group, so each click re-checks both rows from the settings.
TEST_F(ConfigureDialog, AFireClickKeepsTheFlameRadioAndAFlameClickKeepsTheFireRadio)
{
    WriteSetting("FLAME", "LIMIT", "8");
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(CheckedRadios(dialog), (std::vector<int>{IDC_FIRE_TEXT, IDC_FLAME_MEDIUM}));
    struct Step {
        int clicked, fireRadio, flameRadio, fireMode, flameLimit;
    };
    const Step steps[] = {{IDC_FIRE_BONFIRE, IDC_FIRE_BONFIRE, IDC_FLAME_MEDIUM, FIRE_BONFIRE, 8},
                          {IDC_FLAME_LOW, IDC_FIRE_BONFIRE, IDC_FLAME_LOW, FIRE_BONFIRE, 6},
                          {IDC_FIRE_TEXT, IDC_FIRE_TEXT, IDC_FLAME_LOW, FIRE_TEXT, 6},
                          {IDC_FLAME_HIGH, IDC_FIRE_TEXT, IDC_FLAME_HIGH, FIRE_TEXT, 12},
                          {IDC_FLAME_MEDIUM, IDC_FIRE_TEXT, IDC_FLAME_MEDIUM, FIRE_TEXT, 8}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.clicked);
        Click(dialog, step.clicked);
        EXPECT_EQ(CheckedRadios(dialog), (std::vector<int>{step.fireRadio, step.flameRadio}));
        EXPECT_EQ(saverSettings.fireMode, step.fireMode);
        EXPECT_EQ(saverSettings.flameLimit, step.flameLimit);
    }
}

// Any non-zero stored loop opens checked, and each click flips the box and the stored value.
TEST_F(ConfigureDialog, LoopFollowsTheStoredValueAndTheClicks)
{
    struct Case {
        const char* stored;
        int clicks;
        const char* written;
    };
    const Case cases[] = {{"1", 1, "0"}, {nullptr, 3, "1"}, {"2", 1, "0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "nothing stored");
        RemoveSettingsFile();
        if (c.stored)
            WriteSetting("FLAME", "LOOP", c.stored);
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_LOOP), c.stored ? BST_CHECKED : BST_UNCHECKED);
        for (int click = 0; click < c.clicks; ++click)
            Click(dialog, IDC_LOOP);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_LOOP), c.written[0] == '1' ? BST_CHECKED : BST_UNCHECKED);
        Click(dialog, IDOK);
        EXPECT_EQ(ReadSetting("FLAME", "LOOP"), c.written);
    }
}

// Bonfire is chosen before the press: OK stores it, Cancel does not.
TEST_F(ConfigureDialog, TheModalLoopReturnsOneForOkAndTwoForCancel)
{
    const int presses[] = {IDCANCEL, IDOK};
    for (int press : presses) {
        WriteSetting("WHITCH", "FIRE", "0");
        EXPECT_EQ(RunModal(press), press);
        EXPECT_EQ(ReadSetting("WHITCH", "FIRE"), press == IDOK ? "1" : "0");
    }
}

// A folder standing where the settings file goes, or a character the settings cannot hold: OK says so in
// Japanese and the dialog stays open.
TEST_F(ConfigureDialog, AFailedSaveOrAnUnstorableTextIsReportedAndTheDialogStaysOpenUntilCancel)
{
    ASSERT_TRUE(CreateDirectoryA(SettingsFilePath().c_str(), nullptr));
    messagesShown.clear();
    WideCalls* wide = BoundWideCalls();
    ASSERT_NE(wide, nullptr);
    auto realMessageBoxW = wide->messageBox;
    wide->messageBox = NoteMessageAndCancel;
    INT_PTR result = RunModal(IDOK);
    RemoveDirectoryA(SettingsFilePath().c_str());
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(RunModal(IDOK, L"\x706b\x0101"), IDCANCEL) << "a character outside code page 932";
    wide->messageBox = realMessageBoxW;
    EXPECT_EQ(messagesShown, (std::vector<std::string>{SAVE_FAILED, TEXT_NOT_STORABLE}));
    EXPECT_EQ(GetFileAttributesA(SettingsFilePath().c_str()), INVALID_FILE_ATTRIBUTES) << "nothing written";
    EXPECT_EQ(RunModal(IDOK, L"\x706b!"), IDOK);
    EXPECT_EQ(ReadSetting("BURNING", "TEXT"), "\x89\xce!");
}

// Typed or pasted text stops at 39 bytes, a double-byte character counting two, and OK stores what is shown.
TEST_F(ConfigureDialog, TheTextBoxTakesNoMoreThanTheSettingsHold)
{
    ASSERT_NE(Open(), nullptr);
    SetDlgItemTextA(dialog, IDC_TEXT, "");
    SendDlgItemMessageA(dialog, IDC_TEXT, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(A_AND_TWENTY_A_KANA));
    char shown[128] = "";
    GetDlgItemTextA(dialog, IDC_TEXT, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), std::string(A_AND_TWENTY_A_KANA, BYTES_OF_NINETEEN_KANA));
    Click(dialog, IDOK);
    EXPECT_EQ(ReadSetting("BURNING", "TEXT"), shown);
}

TEST_F(ConfigureDialog, AModuleWithoutTheTemplateGivesMinusOneAndStoresNothing)
{
    hostState.moduleInstance = GetModuleHandleA("kernel32.dll");
    INT_PTR result = ShowConfigureDialog(nullptr);
    UseTestModuleAsProgram();
    EXPECT_EQ(result, -1);
    EXPECT_EQ(GetFileAttributesA(SettingsFilePath().c_str()), INVALID_FILE_ATTRIBUTES);
}
