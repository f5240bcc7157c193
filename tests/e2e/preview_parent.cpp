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

#include <cstdarg>
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

void ReportStatus(const char* format, ...)
{
    FILE* status = fopen(parent.statusPath, "ab");
    if (!status)
        return;
    va_list values;
    va_start(values, format);
    vfprintf(status, format, values);
    va_end(values);
    fputc('\n', status);
    fclose(status);
}

bool StartSaver()
{
    unsigned long long number = HandleNumber(parent.window) + (parent.wrapHandle ? HANDLE_WRAP : 0);
    std::string commandLine = PreviewCommandLine(parent.saverPath, number);
    ReportStatus("command %s", commandLine.c_str());
    if (!StartProgram(parent.saverPath, commandLine, &parent.saver))
        return false;
    parent.saverStarted = true;
    ReportStatus("saver-pid %lu start-retries %d", parent.saver.dwProcessId, e2eStartRetries);
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
    ReportStatus("saver-exit %ld", static_cast<long>(exitCode));
    parent.saverExitReported = true;
}

LRESULT CALLBACK PreviewParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        ReportSaverExitIfEnded(0);
        if (GetFileAttributesA(parent.closeRequestPath) != INVALID_FILE_ATTRIBUTES) {
            KillTimer(window, POLL_TIMER);
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_CONTEXTMENU:
        ReportStatus("contextmenu wparam=%llu lparam=%lld", static_cast<unsigned long long>(wParam),
                     static_cast<long long>(lParam));
        return 0;
    case WM_DESTROY:
        ReportStatus("parent-closed");
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
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
    RECT client = {};
    GetClientRect(parent.window, &client);
    POINT origin = {0, 0};
    ClientToScreen(parent.window, &origin);
    ReportStatus("parent %llu", HandleNumber(parent.window));
    ReportStatus("client %ld %ld %ld %ld", origin.x, origin.y, client.right, client.bottom);
    if (!StartSaver()) {
        ReportStatus("saver-start-failed %lu", GetLastError());
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
