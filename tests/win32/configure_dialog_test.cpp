// In-process properties only; the dialog as a user sees it is driven end to end (run_e2e.py, group dialog).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
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
// The dialog as created: the system adds sibling clipping and the 3-D look, the frame's and the control
// parent's extended styles; a checked radio takes the tab stop; an edit box's border becomes a sunken edge.
const DWORD DIALOG_STYLE = 0x84C800CC;
const DWORD DIALOG_EX_STYLE = 0x00010101;
const int LABEL_ID = -1;

struct ExpectedControl {
    int id;
    const char* className;
    DWORD style, exStyle;
    RECT frame;  // in dialog units: left, top, width, height
};

// In their order of creation, which is the order of the tab key, over the default settings.
const ExpectedControl CONTROLS[] = {
    {IDOK, "Button", 0x50010001, 0x004, {281, 7, 50, 14}},
    {IDCANCEL, "Button", 0x50010000, 0x004, {281, 24, 50, 14}},
    {IDC_TEXT, "Edit", 0x50010080, 0x204, {66, 7, 155, 14}},
    {LABEL_ID, "Static", 0x50020000, 0x004, {21, 7, 33, 8}},
    {IDC_FONT_SIZE, "Edit", 0x50010080, 0x204, {66, 26, 40, 14}},
    {LABEL_ID, "Static", 0x50020000, 0x004, {17, 29, 42, 8}},
    {IDC_FIRE_TEXT, "Button", 0x50010009, 0x004, {66, 47, 52, 10}},
    {IDC_FIRE_BONFIRE, "Button", 0x50000009, 0x004, {127, 47, 38, 10}},
    {IDC_LOOP, "Button", 0x50010003, 0x004, {66, 58, 35, 10}},
    {IDC_FLAME_LOW, "Button", 0x50000009, 0x004, {67, 71, 32, 10}},
    {IDC_FLAME_MEDIUM, "Button", 0x50000009, 0x004, {135, 70, 32, 10}},
    {IDC_FLAME_HIGH, "Button", 0x50010009, 0x004, {197, 70, 32, 10}},
};
const RECT DIALOG_FRAME = {0, 0, 338, 95};

const char SAVE_FAILED[] = "\x90\xdd\x92\xe8\x82\xf0\x95\xdb\x91\xb6\x82\xc5"
                           "\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";
const char TEXT_NOT_STORABLE[] = "\x95\x5c\x8e\xa6\x95\xb6\x8e\x9a\x82\xc9\x8e\x67"
                                 "\x82\xa6\x82\xc8\x82\xa2\x95\xb6\x8e\x9a\x82\xaa\x82\xa0"
                                 "\x82\xe8\x82\xdc\x82\xb7\x81\x42";
const char A_AND_TWENTY_A_KANA[] = "a\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0"
                                   "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0";
const size_t BYTES_OF_NINETEEN_KANA = 1 + 19 * 2;

const int SETTING_RADIOS[] = {IDC_FIRE_TEXT, IDC_FIRE_BONFIRE, IDC_FLAME_LOW, IDC_FLAME_MEDIUM, IDC_FLAME_HIGH};

std::string ClassOf(HWND window)
{
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
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

// A timer the modal loop dispatches types and presses. The ticks count from the start, whether
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
    if (ClassOf(window) == "#32770")
        EndDialog(window, GIVEN_UP);
    return TRUE;
}

void CALLBACK DriveModalDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND shown = FindWindowA("#32770", CAPTION);
    if (shown && !modalPressed) {
        modalPressed = true;
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
    WideCharToMultiByte(JAPANESE_CODE_PAGE, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
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

// Controls and frame are placed in dialog units, which follow the dialog's font.
TEST_F(ConfigureDialog, TheDialogIsJapaneseWithItsFontFrameAndTwelveControls)
{
    const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
    EXPECT_NE(FindResourceExA(hostState.moduleInstance, RT_DIALOG, MAKEINTRESOURCEA(IDD_CONFIGURE), japanese), nullptr);
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(ClassOf(dialog), "#32770");
    EXPECT_EQ(GetMenu(dialog), nullptr);
    EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE), static_cast<LONG>(DIALOG_STYLE));
    EXPECT_EQ(GetWindowLongA(dialog, GWL_EXSTYLE), static_cast<LONG>(DIALOG_EX_STYLE));
    LOGFONTA font = {};
    ASSERT_TRUE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font));
    EXPECT_EQ(font.lfHeight, -11) << "8 points at 96 dots an inch";
    EXPECT_EQ(std::make_tuple(font.lfWeight, font.lfItalic, font.lfCharSet), std::make_tuple(400L, BYTE{0}, BYTE{1}));
    EXPECT_STREQ(font.lfFaceName, "MS Shell Dlg");
    RECT frame = DIALOG_FRAME, client = {};
    MapDialogRect(dialog, &frame);
    GetClientRect(dialog, &client);
    EXPECT_TRUE(EqualRect(&client, &frame)) << client.right << "x" << client.bottom;

    HWND control = GetWindow(dialog, GW_CHILD);
    for (const ExpectedControl& expected : CONTROLS) {
        SCOPED_TRACE(expected.id);
        ASSERT_NE(control, nullptr) << "too few controls";
        EXPECT_EQ(GetDlgCtrlID(control), expected.id);
        EXPECT_EQ(ClassOf(control), expected.className);
        EXPECT_EQ(GetWindowLongA(control, GWL_STYLE), static_cast<LONG>(expected.style));
        EXPECT_EQ(GetWindowLongA(control, GWL_EXSTYLE), static_cast<LONG>(expected.exStyle));
        EXPECT_EQ(GetWindowContextHelpId(control), 0u);
        RECT placed = {}, wanted = expected.frame;
        GetWindowRect(control, &placed);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
        MapDialogRect(dialog, &wanted);
        const RECT size = {placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top};
        EXPECT_TRUE(EqualRect(&size, &wanted))
            << size.left << "," << size.top << " " << size.right << "x" << size.bottom;
        control = GetWindow(control, GW_HWNDNEXT);
    }
    EXPECT_EQ(control, nullptr) << "more than twelve controls";
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
