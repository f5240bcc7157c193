// Looks at and drives the saver's windows from outside, as a user would.
//   e2e_inspector <command> [arguments] [<command> [arguments] ...]
// Commands run in order; each prints what it found on one line:
//   find-dialog <title hex> <ms>   wait for a top-level dialog with that title
//   controls                       every control of the dialog
//   click <id>                     press a button of the dialog (BM_CLICK)
//   settext <id> <text hex>        replace a control's text
//   rect <id>                      a control's rectangle on the screen
//   savers                         how many full-screen saver windows exist
//   iswindow <number>              whether a window of that handle exists
//   wait-cursor <x> <y> <ms>       wait until the system reports the pointer there
//   wait-preview <parent> <ms>     wait for a shown saver window inside that parent
//   responds <ms>                  whether the preview's message loop answers
// Texts travel as hex of their Shift-JIS bytes. The exit code is 0 when every
// command succeeded, else 1.
#include <windows.h>

#include "e2e_support.h"

#include <cstring>

namespace {

const UINT SEND_TIMEOUT_MS = 5000;
const int FAILED = 1;

struct Inspection {
    HWND dialog;
    HWND preview;
    std::string wantedTitle;
    HWND found;
    int saverCount;
};

Inspection inspection;

// A control of another process: GetWindowText would give only the text the
// control was created with, so ask the control itself.
std::string ControlText(HWND control)
{
    WCHAR text[E2E_NAME_BYTES] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, E2E_NAME_BYTES, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             SEND_TIMEOUT_MS, &copied))
        return "";
    return ShiftJisOf(text);
}

std::string RectText(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) + " " +
           std::to_string(rect.bottom);
}

BOOL CALLBACK MatchDialog(HWND window, LPARAM)
{
    if (IsWindowVisible(window) && ClassOf(window) == DIALOG_CLASS && WindowText(window) == inspection.wantedTitle) {
        inspection.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CountSaver(HWND window, LPARAM)
{
    inspection.saverCount += ClassOf(window) == SAVER_WINDOW_CLASS && WindowText(window) == FULL_SCREEN_TITLE;
    return TRUE;
}

bool FindDialog(const char* titleHex, DWORD waitMs)
{
    inspection.wantedTitle = FromHex(titleHex);
    inspection.found = nullptr;
    auto found = [] {
        EnumWindows(MatchDialog, 0);
        return inspection.found != nullptr;
    };
    if (!PollUntil(waitMs, found)) {
        printf("no-dialog\n");
        return false;
    }
    inspection.dialog = inspection.found;
    printf("dialog %llu owner %llu rect %s\n", HandleNumber(inspection.dialog),
           HandleNumber(GetWindow(inspection.dialog, GW_OWNER)), RectText(inspection.dialog).c_str());
    return true;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM)
{
    LRESULT checked = SendMessageA(control, BM_GETCHECK, 0, 0);
    printf("control %d class %s style %08lx checked %d text %s\n", GetDlgCtrlID(control), ClassOf(control).c_str(),
           static_cast<unsigned long>(GetWindowLongA(control, GWL_STYLE)), static_cast<int>(checked),
           ToHex(ControlText(control)).c_str());
    return TRUE;
}

bool PrintControls()
{
    if (!inspection.dialog)
        return false;
    EnumChildWindows(inspection.dialog, PrintControl, 0);
    return true;
}

HWND Control(const char* id)
{
    return inspection.dialog ? GetDlgItem(inspection.dialog, atoi(id)) : nullptr;
}

bool Click(const char* id)
{
    HWND button = Control(id);
    DWORD_PTR result = 0;
    return button && SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result);
}

bool SetText(const char* id, const char* textHex)
{
    HWND control = Control(id);
    WCHAR text[E2E_NAME_BYTES] = {};
    MultiByteToWideChar(E2E_CODE_PAGE, 0, FromHex(textHex).c_str(), -1, text, E2E_NAME_BYTES);
    DWORD_PTR result = 0;
    return control && SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                          SEND_TIMEOUT_MS, &result);
}

bool PrintRect(const char* id)
{
    HWND control = Control(id);
    if (!control)
        return false;
    printf("rect %s %s\n", id, RectText(control).c_str());
    return true;
}

bool WaitCursor(LONG x, LONG y, DWORD waitMs)
{
    POINT position = {};
    auto there = [&] {
        GetCursorPos(&position);
        return position.x == x && position.y == y;
    };
    bool reached = PollUntil(waitMs, there);
    printf(reached ? "cursor %ld %ld\n" : "cursor-elsewhere %ld %ld\n", position.x, position.y);
    return reached;
}

// The saver's window shows once its creation is complete.
bool WaitPreview(HWND parent, DWORD waitMs)
{
    auto shown = [&] {
        inspection.preview = FindWindowExA(parent, nullptr, SAVER_WINDOW_CLASS, nullptr);
        return !IsWindow(parent) || (inspection.preview && IsWindowVisible(inspection.preview));
    };
    if (!PollUntil(waitMs, shown) || !IsWindow(parent)) {
        printf("no-preview\n");
        return false;
    }
    RECT client = {};
    GetClientRect(inspection.preview, &client);
    POINT corner = {0, 0};
    MapWindowPoints(inspection.preview, parent, &corner, 1);
    DWORD processId = 0;
    GetWindowThreadProcessId(inspection.preview, &processId);
    printf("preview %llu title %s style %08lx at %ld %ld size %ld %ld process %lu\n", HandleNumber(inspection.preview),
           WindowText(inspection.preview).c_str(),
           static_cast<unsigned long>(GetWindowLongA(inspection.preview, GWL_STYLE)), corner.x, corner.y, client.right,
           client.bottom, static_cast<unsigned long>(processId));
    return true;
}

bool PreviewResponds(DWORD waitMs)
{
    DWORD_PTR result = 0;
    bool responds =
        inspection.preview && SendMessageTimeoutA(inspection.preview, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, waitMs, &result);
    printf(responds ? "responds\n" : "no-response\n");
    return responds;
}

// Runs the command at argv[*next] and advances past its arguments.
bool RunCommand(int argc, char** argv, int* next)
{
    const char* command = argv[(*next)++];
    auto argument = [&]() -> const char* { return *next < argc ? argv[(*next)++] : ""; };
    if (strcmp(command, "find-dialog") == 0) {
        const char* title = argument();
        return FindDialog(title, strtoul(argument(), nullptr, 10));
    }
    if (strcmp(command, "controls") == 0)
        return PrintControls();
    if (strcmp(command, "click") == 0)
        return Click(argument());
    if (strcmp(command, "settext") == 0) {
        const char* id = argument();
        return SetText(id, argument());
    }
    if (strcmp(command, "rect") == 0)
        return PrintRect(argument());
    if (strcmp(command, "savers") == 0) {
        inspection.saverCount = 0;
        EnumWindows(CountSaver, 0);
        printf("savers %d\n", inspection.saverCount);
        return true;
    }
    if (strcmp(command, "iswindow") == 0) {
        const char* number = argument();
        printf("iswindow %s %d\n", number, IsWindow(WindowOfNumber(number)) ? 1 : 0);
        return true;
    }
    if (strcmp(command, "wait-cursor") == 0) {
        LONG x = atol(argument());
        LONG y = atol(argument());
        return WaitCursor(x, y, strtoul(argument(), nullptr, 10));
    }
    if (strcmp(command, "wait-preview") == 0) {
        HWND parent = WindowOfNumber(argument());
        return WaitPreview(parent, strtoul(argument(), nullptr, 10));
    }
    if (strcmp(command, "responds") == 0)
        return PreviewResponds(strtoul(argument(), nullptr, 10));
    printf("unknown-command %s\n", command);
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    int next = 1;
    while (next < argc) {
        const char* command = argv[next];
        bool succeeded = RunCommand(argc, argv, &next);
        fflush(stdout);
        if (!succeeded) {
            fprintf(stderr, "e2e_inspector: %s failed\n", command);
            return FAILED;
        }
    }
    return 0;
}
