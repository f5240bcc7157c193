// Stands in for the display settings' preview: a top-level window with a
// 152 x 112 client area that runs the saver as "/p <its handle>" inside it.
//   e2e_preview_parent <saver path> <status file> <close-request file> [wrap]
// "wrap" writes the handle plus 2^32, which the saver must read modulo 2^32.
// The status file receives one line per event:
//   parent <handle>            client <x> <y> <width> <height>    command <text>
//   saver-pid <process id>
//   contextmenu wparam=<n> lparam=<n>    saver-exit <code>    parent-closed
// Creating the close-request file makes the window close itself, as the
// display settings do when the user picks another saver.
#include <windows.h>

#include "e2e_support.h"

#include <cstring>

namespace {

const char PARENT_CLASS[] = "TamblornE2EPreviewParent";
const int PARENT_X = 80;
const int PARENT_Y = 60;
const DWORD PARENT_STYLE = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
const UINT_PTR POLL_TIMER = 1;
const DWORD SAVER_END_WAIT_MS = 10000;

struct PreviewParent {
    HWND window;
    const char* saverPath;
    const char* statusPath;
    const char* closeRequestPath;
    bool wrapHandle;
    PROCESS_INFORMATION saver;
    bool saverStarted;
    bool saverExitReported;
};

PreviewParent parent;

void ReportStatus(const std::string& line)
{
    FILE* status = fopen(parent.statusPath, "ab");
    if (!status)
        return;
    fprintf(status, "%s\n", line.c_str());
    fclose(status);
}

bool StartSaver()
{
    unsigned long long number = HandleNumber(parent.window) + (parent.wrapHandle ? HANDLE_WRAP : 0);
    std::string commandLine = PreviewCommandLine(parent.saverPath, number);
    ReportStatus("command " + commandLine);
    if (!StartProgram(parent.saverPath, commandLine, &parent.saver))
        return false;
    parent.saverStarted = true;
    ReportStatus("saver-pid " + std::to_string(parent.saver.dwProcessId) + " start-retries " +
                 std::to_string(e2eStartRetries));
    return true;
}

void ReportSaverExitIfEnded(DWORD waitMs)
{
    if (!parent.saverStarted || parent.saverExitReported)
        return;
    if (WaitForSingleObject(parent.saver.hProcess, waitMs) != WAIT_OBJECT_0)
        return;
    DWORD exitCode = 0;
    GetExitCodeProcess(parent.saver.hProcess, &exitCode);
    ReportStatus("saver-exit " + std::to_string(static_cast<long>(exitCode)));
    parent.saverExitReported = true;
}

void OnPollTimer(HWND window)
{
    ReportSaverExitIfEnded(0);
    if (GetFileAttributesA(parent.closeRequestPath) != INVALID_FILE_ATTRIBUTES) {
        KillTimer(window, POLL_TIMER);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

void OnContextMenu(WPARAM wParam, LPARAM lParam)
{
    ReportStatus("contextmenu wparam=" + std::to_string(static_cast<unsigned long long>(wParam)) +
                 " lparam=" + std::to_string(static_cast<long long>(lParam)));
}

void OnDestroy()
{
    ReportStatus("parent-closed");
    PostQuitMessage(0);
}

LRESULT CALLBACK PreviewParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        OnPollTimer(window);
        return 0;
    case WM_CONTEXTMENU:
        OnContextMenu(wParam, lParam);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void ReportClientArea()
{
    RECT client = {};
    GetClientRect(parent.window, &client);
    POINT origin = {0, 0};
    ClientToScreen(parent.window, &origin);
    ReportStatus("parent " + std::to_string(HandleNumber(parent.window)));
    ReportStatus("client " + std::to_string(origin.x) + " " + std::to_string(origin.y) + " " +
                 std::to_string(client.right) + " " + std::to_string(client.bottom));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return UsageError("e2e_preview_parent SAVER STATUS-FILE CLOSE-REQUEST-FILE [wrap]");
    parent.saverPath = argv[1];
    parent.statusPath = argv[2];
    parent.closeRequestPath = argv[3];
    parent.wrapHandle = argc > 4 && strcmp(argv[4], "wrap") == 0;

    parent.window = CreatePreviewParent(PARENT_CLASS, PreviewParentProc, "Tamblorn preview parent", PARENT_STYLE,
                                        PARENT_X, PARENT_Y);
    if (!parent.window)
        return START_FAILED;
    ReportClientArea();
    if (!StartSaver()) {
        ReportStatus("saver-start-failed " + std::to_string(GetLastError()));
        return START_FAILED;
    }
    SetTimer(parent.window, POLL_TIMER, POLL_MS, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);

    DWORD exitCode = 0;
    if (!EndedWithin(parent.saver, SAVER_END_WAIT_MS, &exitCode)) {
        ReportStatus("saver-still-running");
        return KILLED_EXIT;
    }
    ReportSaverExitIfEnded(0);
    return static_cast<int>(exitCode);
}
