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
//   monitors                       "monitor <left> <top> <right> <bottom> <1 if primary>" for each monitor
// Texts travel as hex of their Shift-JIS bytes. The exit code is 0 when every
// command succeeded, else 1.
#include <windows.h>

#include "e2e_support.h"

#include <cstring>

namespace {

const UINT SEND_TIMEOUT_MS = 5000;

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

DWORD Number(const char* text)
{
    return strtoul(text, nullptr, 10);
}

bool FindDialog(char** arguments)
{
    inspection.wantedTitle = FromHex(arguments[0]);
    inspection.found = nullptr;
    auto found = [] {
        EnumWindows(MatchDialog, 0);
        return inspection.found != nullptr;
    };
    if (!PollUntil(Number(arguments[1]), found)) {
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

bool PrintControls(char**)
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

bool Click(char** arguments)
{
    HWND button = Control(arguments[0]);
    DWORD_PTR result = 0;
    return button && SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result);
}

bool SetText(char** arguments)
{
    HWND control = Control(arguments[0]);
    WCHAR text[E2E_NAME_BYTES] = {};
    MultiByteToWideChar(E2E_CODE_PAGE, 0, FromHex(arguments[1]).c_str(), -1, text, E2E_NAME_BYTES);
    DWORD_PTR result = 0;
    return control && SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                          SEND_TIMEOUT_MS, &result);
}

bool PrintRect(char** arguments)
{
    HWND control = Control(arguments[0]);
    if (!control)
        return false;
    printf("rect %s %s\n", arguments[0], RectText(control).c_str());
    return true;
}

bool CountSavers(char**)
{
    inspection.saverCount = 0;
    EnumWindows(CountSaver, 0);
    printf("savers %d\n", inspection.saverCount);
    return true;
}

bool IsWindowNumber(char** arguments)
{
    printf("iswindow %s %d\n", arguments[0], IsWindow(WindowOfNumber(arguments[0])) ? 1 : 0);
    return true;
}

bool WaitCursor(char** arguments)
{
    POINT position = {};
    auto there = [&] {
        GetCursorPos(&position);
        return position.x == atol(arguments[0]) && position.y == atol(arguments[1]);
    };
    bool reached = PollUntil(Number(arguments[2]), there);
    printf(reached ? "cursor %ld %ld\n" : "cursor-elsewhere %ld %ld\n", position.x, position.y);
    return reached;
}

// The saver's window shows once its creation is complete.
bool WaitPreview(char** arguments)
{
    HWND parent = WindowOfNumber(arguments[0]);
    auto shown = [&] {
        inspection.preview = FindWindowExA(parent, nullptr, SAVER_WINDOW_CLASS, nullptr);
        return !IsWindow(parent) || (inspection.preview && IsWindowVisible(inspection.preview));
    };
    if (!PollUntil(Number(arguments[1]), shown) || !IsWindow(parent)) {
        printf("no-preview\n");
        return false;
    }
    RECT client = {};
    GetClientRect(inspection.preview, &client);
    POINT corner = {0, 0};
    MapWindowPoints(inspection.preview, parent, &corner, 1);
    DWORD processId = 0;
    GetWindowThreadProcessId(inspection.preview, &processId);
    printf("preview %llu at %ld %ld size %ld %ld process %lu\n", HandleNumber(inspection.preview), corner.x, corner.y,
           client.right, client.bottom, static_cast<unsigned long>(processId));
    return true;
}

bool PreviewResponds(char** arguments)
{
    DWORD_PTR result = 0;
    bool responds = inspection.preview && SendMessageTimeoutA(inspection.preview, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                              Number(arguments[0]), &result);
    printf(responds ? "responds\n" : "no-response\n");
    return responds;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info))
        printf("monitor %ld %ld %ld %ld %d\n", info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
               info.rcMonitor.bottom, (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    return TRUE;
}

bool PrintMonitors(char**)
{
    return EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
}

struct Command {
    const char* name;
    int argumentCount;
    bool (*run)(char** arguments);
};

const Command COMMANDS[] = {
    {"find-dialog", 2, FindDialog},   {"controls", 0, PrintControls}, {"click", 1, Click},
    {"settext", 2, SetText},          {"rect", 1, PrintRect},         {"savers", 0, CountSavers},
    {"iswindow", 1, IsWindowNumber},  {"wait-cursor", 3, WaitCursor}, {"wait-preview", 2, WaitPreview},
    {"responds", 1, PreviewResponds}, {"monitors", 0, PrintMonitors}};

}  // namespace

int main(int argc, char** argv)
{
    for (int next = 1; next < argc;) {
        const char* name = argv[next++];
        const Command* command = nullptr;
        for (const Command& known : COMMANDS)
            if (strcmp(known.name, name) == 0 && next + known.argumentCount <= argc)
                command = &known;
        bool succeeded = command && command->run(argv + next);
        next += command ? command->argumentCount : 0;
        fflush(stdout);
        if (!succeeded) {
            fprintf(stderr, "e2e_inspector: %s failed\n", name);
            return FAILED;
        }
    }
    return 0;
}
