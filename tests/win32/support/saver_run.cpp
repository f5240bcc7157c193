// Running the saver's window and the test's own windows and message queue.
#include "win_test_support.h"

#include <gtest/gtest.h>

#include "effect_window.h"
#include "fault_guard.h"
#include "host_state.h"

void UseTestModuleAsProgram()
{
    hostState.moduleInstance = GetModuleHandleA(nullptr);
}

namespace {

std::function<void()> insideLoop;

// Checks that stop at a failed assertion never reach their own ending of the
// saver: it is ended here, so that the failure shows at once, not as a time-out.
void EndSaverLeftRunning()
{
    MSG close;
    if (!IsWindow(hostState.saverWindow) ||
        PeekMessageA(&close, hostState.saverWindow, WM_CLOSE, WM_CLOSE, PM_NOREMOVE))
        return;
    ADD_FAILURE() << "the checks left the saver running";
    DestroyWindow(hostState.saverWindow);
}

// The platform swallows a fault in a timer's callback, which would leave the saver running: the fault guard
// takes it and the saver is ended with a failure.
void CALLBACK RunChecksInsideLoop(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    RunGuarded([](const char*) { return insideLoop(), 0; }, "", [] { ADD_FAILURE() << "a fault in the checks"; });
    EndSaverLeftRunning();
}

}  // namespace

int RunSaverWith(HWND parent, std::function<void()> checks, UINT checksAfterMs)
{
    insideLoop = checks;
    SetTimer(nullptr, 0, checksAfterMs, RunChecksInsideLoop);
    return RunSaverWindow(parent);
}

void RegisterTestClass(const char* className, WNDPROC procedure, HCURSOR cursor)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
}

int TakeQueued(HWND window, UINT message)
{
    int count = 0;
    MSG queued;
    while (PeekMessageA(&queued, window, message, message, PM_REMOVE))
        ++count;
    return count;
}

int TakePostedCloses(HWND window)
{
    return TakeQueued(window, WM_CLOSE);
}

namespace {

const char SILENT_PARENT_CLASS[] = "TamblornSilentPreviewParent";

LRESULT CALLBACK SilentParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // What the preview relays to the display settings stays there.
    if (message == WM_CONTEXTMENU || message == WM_HELP) {
        relayedToPreviewParent = {window, message, wParam, lParam, 0, {}};
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

MSG relayedToPreviewParent;

HWND CreateSilentPreviewParent()
{
    relayedToPreviewParent = MSG();
    return CreatePreviewParent(SILENT_PARENT_CLASS, SilentParentProc, "Display settings", WS_POPUP | WS_VISIBLE, 50,
                               50);
}

namespace {

const char EFFECT_CLASS[] = "TamblornTestEffect";

LRESULT CALLBACK EffectProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return EffectWindowProc(window, message, wParam, lParam);
}

}  // namespace

HWND CreateEffectPopup(int width, int height, DWORD style)
{
    RegisterTestClass(EFFECT_CLASS, EffectProc);
    return CreateWindowExA(0, EFFECT_CLASS, "effect", style, 0, 0, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void ResetHostBetweenRuns()
{
    hostState = HostState();
    UseTestModuleAsProgram();
    UnregisterClassA(SAVER_WINDOW_CLASS, hostState.moduleInstance);
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        continue;
}
