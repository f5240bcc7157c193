#include "effect_window.h"
#include "host_state.h"
#include "password_services.h"
#include "saver_window.h"
#include "resource_ids.h"

namespace {

const char FULL_SCREEN_TITLE[] = "Screen Saver";
const char PREVIEW_TITLE[] = "Preview";
const UINT SAVER_CLASS_STYLE = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
const DWORD FULL_SCREEN_STYLE = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
const DWORD FULL_SCREEN_EX_STYLE = WS_EX_TOPMOST;
const DWORD PREVIEW_STYLE = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
const char AUTOPLAY_MESSAGE[] = "QueryCancelAutoPlay";
const LRESULT RELAYED = 1;
const UINT WINDOW_WATCH_MS = 250;
// No window could be made: a failure, never the 0 of a saver that ran. The
// program's one failure code, as for a rejected command line or a fault, so a
// preview whose parent went away before its window existed ends the same way
// whether the command line check or the creation noticed.
const int WINDOW_NOT_MADE = -1;

struct SaverPlacement {
    DWORD exStyle;
    DWORD style;
    const char* title;
    int x;
    int y;
    int width;
    int height;
};

void PlaceInPreview(HWND parent, SaverPlacement* placement)
{
    RECT client = {};
    GetClientRect(parent, &client);
    *placement = {0, PREVIEW_STYLE, PREVIEW_TITLE, 0, 0, client.right, client.bottom};
    hostState.isPreview = 1;
}

void PlaceFullScreen(SaverPlacement* placement)
{
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    // A platform without virtual-screen metrics: the screen's clip box.
    if (width == 0 || height == 0) {
        RECT box = {};
        HDC screen = GetDC(nullptr);
        GetClipBox(screen, &box);
        ReleaseDC(nullptr, screen);
        x = box.left;
        y = box.top;
        width = box.right - box.left;
        height = box.bottom - box.top;
    }
    *placement = {FULL_SCREEN_EX_STYLE, FULL_SCREEN_STYLE, FULL_SCREEN_TITLE, x, y, width, height};
}

// A preview's parent lives in another process and may go at any moment, also
// while the saver's window is being made; the window may then never see
// WM_DESTROY, or stay orphaned with its timer ticking. A thread timer, which
// outlives the window, ends the loop once the window or its parent is gone.
void CALLBACK CheckSaverWindowStillWanted(HWND, UINT, UINT_PTR, DWORD)
{
    bool parentGone = hostState.watchedParent && !IsWindow(hostState.watchedParent);
    if (IsWindow(hostState.saverWindow) && !parentGone)
        return;
    if (IsWindow(hostState.saverWindow))
        DestroyWindow(hostState.saverWindow);
    PostQuitMessage(0);
}

void StartWindowWatch(HWND parent)
{
    hostState.watchedParent = parent;
    hostState.watchTimer = SetTimer(nullptr, 0, WINDOW_WATCH_MS, CheckSaverWindowStillWanted);
}

void StopWindowWatch()
{
    if (hostState.watchTimer)
        KillTimer(nullptr, hostState.watchTimer);
    hostState.watchedParent = nullptr;
    hostState.watchTimer = 0;
}

bool BringRunningSaverForward()
{
    HWND running = FindWindowA(SAVER_WINDOW_CLASS, FULL_SCREEN_TITLE);
    if (!running || !IsWindow(running))
        return false;
    SetForegroundWindow(running);
    return true;
}

void RecordAcLineStatus()
{
    SYSTEM_POWER_STATUS status;
    hostState.acLineStatus = GetSystemPowerStatus(&status) ? status.ACLineStatus : AC_LINE_UNKNOWN;
}

ATOM RegisterSaverClass()
{
    WNDCLASSA windowClass = {};
    windowClass.hIcon = LoadIconA(hostState.moduleInstance, MAKEINTRESOURCEA(IDI_SAVER_CLASS));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.style = SAVER_CLASS_STYLE;
    windowClass.lpfnWndProc = SaverWindowProc;
    windowClass.hInstance = hostState.moduleInstance;
    windowClass.lpszClassName = SAVER_WINDOW_CLASS;
    return RegisterClassA(&windowClass);
}

int RunMessageLoop()
{
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

void HidePointerUnlessPreview()
{
    if (!hostState.isPreview)
        SetCursor(nullptr);
}

LRESULT OnSaverCreate(HWND window, WPARAM wParam, LPARAM lParam)
{
    hostState.imm32Module = GetModuleHandleA("IMM32.DLL");
    if (hostState.imm32Module) {
        hostState.associateContextEntry = reinterpret_cast<ImmAssociateContextEntry>(
            reinterpret_cast<void*>(GetProcAddress(hostState.imm32Module, "ImmAssociateContext")));
        if (hostState.associateContextEntry)
            hostState.previousInputContext = hostState.associateContextEntry(window, nullptr);
    }
    GetCursorPos(&hostState.startCursor);
    HidePointerUnlessPreview();
    return EffectWindowProc(window, WM_CREATE, wParam, lParam);
}

LRESULT OnSaverDestroy(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (hostState.imm32Module && hostState.associateContextEntry && hostState.previousInputContext)
        hostState.associateContextEntry(window, hostState.previousInputContext);
    PostQuitMessage(0);
    return EffectWindowProc(window, WM_DESTROY, wParam, lParam);
}

// A window freed along with a parent of another process may get only this
// last message.
LRESULT OnSaverFinalDestroy(HWND window, WPARAM wParam, LPARAM lParam)
{
    PostQuitMessage(0);
    return EffectWindowProc(window, WM_NCDESTROY, wParam, lParam);
}

LRESULT OnSaverPaint(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (hostState.closeApproved)
        return DefWindowProcA(window, WM_PAINT, wParam, lParam);
    HidePointerUnlessPreview();
    return EffectWindowProc(window, WM_PAINT, wParam, lParam);
}

// Help and the context menu in the display settings' preview belong to the
// dialog that holds the preview.
LRESULT OnSaverHelpRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!hostState.isPreview)
        return EffectWindowProc(window, message, wParam, lParam);
    HWND parent = GetParent(window);
    if (parent && IsWindow(parent))
        PostMessageA(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
    return RELAYED;
}

LRESULT OnSaverInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.closeApproved)
        return DefWindowProcA(window, message, wParam, lParam);
    return EffectWindowProc(window, message, wParam, lParam);
}

LRESULT OnSaverSysCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (!hostState.isPreview) {
        switch (wParam) {
        case SC_NEXTWINDOW:
        case SC_PREVWINDOW:
        case SC_SCREENSAVE:
            return 0;
        case SC_MONITORPOWER:
            PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        }
    }
    return EffectWindowProc(window, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT OnSaverTimer(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (hostState.closeApproved)
        return 0;
    Sleep(0);
    return EffectWindowProc(window, WM_TIMER, wParam, lParam);
}

}  // namespace

int RunSaverWindow(HWND parent)
{
    SaverPlacement placement;
    if (parent) {
        PlaceInPreview(parent, &placement);
    } else {
        PlaceFullScreen(&placement);
        if (BringRunningSaverForward())
            return 0;
        RecordAcLineStatus();
        LoadPasswordVerifier();
    }
    hostState.autoPlayMessage = hostState.win9xFamily == 1 ? RegisterWindowMessageA(AUTOPLAY_MESSAGE) : 0;

    if (RegisterSaverClass())
        hostState.saverWindow = CreateWindowExA(placement.exStyle, SAVER_WINDOW_CLASS, placement.title, placement.style,
                                                placement.x, placement.y, placement.width, placement.height, parent,
                                                nullptr, hostState.moduleInstance, nullptr);
    int result = WINDOW_NOT_MADE;
    if (hostState.saverWindow) {
        if (!hostState.isPreview)
            SetForegroundWindow(hostState.saverWindow);
        StartWindowWatch(parent);
        result = RunMessageLoop();
        StopWindowWatch();
    }
    UnloadPasswordVerifier();
    return result;
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnSaverCreate(window, wParam, lParam);
    case WM_DESTROY:
        return OnSaverDestroy(window, wParam, lParam);
    case WM_NCDESTROY:
        return OnSaverFinalDestroy(window, wParam, lParam);
    case WM_SETTEXT:
        return 0;
    case WM_PAINT:
        return OnSaverPaint(window, wParam, lParam);
    case WM_HELP:
    case WM_CONTEXTMENU:
        return OnSaverHelpRequest(window, message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return OnSaverInput(window, message, wParam, lParam);
    case WM_SYSCOMMAND:
        return OnSaverSysCommand(window, wParam, lParam);
    case WM_TIMER:
        return OnSaverTimer(window, wParam, lParam);
    }
    return EffectWindowProc(window, message, wParam, lParam);
}
