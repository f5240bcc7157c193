#include <windows.h>

#include "host_state.h"
#include "closing_rules.h"

namespace {

const UINT VERIFY_REQUEST = WM_APP;
const DWORD VERIFY_GUARD_MS = 200;
const int DROPPED_TIMER_TICKS = 2;
const UINT DROP_TICK_FLAGS = PM_REMOVE | PM_NOYIELD;
const LRESULT CURSOR_HANDLED = 1;
const LRESULT AUTOPLAY_CANCELLED = 1;
const LRESULT AUTOPLAY_ALLOWED = 0;
const LRESULT CLOSE_REFUSED = 0;
const LRESULT PASSWORD_NOT_ASKED = 1;

void RequestClose(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

void HideCursor()
{
    SetCursor(nullptr);
}

DWORD Distance(LONG from, LONG to)
{
    return from > to ? static_cast<DWORD>(from) - static_cast<DWORD>(to)
                     : static_cast<DWORD>(to) - static_cast<DWORD>(from);
}

void ResetStartCursor()
{
    POINT cursor;
    if (GetCursorPos(&cursor))
        hostState.startCursor = cursor;
}

// The last stop: the autoplay query and the platform's default handling.
LRESULT PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.autoPlayMessage != 0 && message == hostState.autoPlayMessage) {
        RequestClose(window);
        return hostState.verifierEntry ? AUTOPLAY_CANCELLED : AUTOPLAY_ALLOWED;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT OnCloseRequest(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (hostState.win9xFamily && !VerifyPasswordToClose(window)) {
        ResetStartCursor();
        return CLOSE_REFUSED;
    }
    return PassOn(window, WM_CLOSE, wParam, lParam);
}

LRESULT OnVerifyRequest(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (!hostState.win9xFamily)
        return PassOn(window, VERIFY_REQUEST, wParam, lParam);
    if (!hostState.verifierEntry)
        return PASSWORD_NOT_ASKED;
    return hostState.verifierEntry(window);
}

void OnMouseMove(HWND window)
{
    POINT cursor;
    if (!GetCursorPos(&cursor))
        return;
    DWORD travel = Distance(cursor.x, hostState.startCursor.x) + Distance(cursor.y, hostState.startCursor.y);
    if (travel > hostState.mouseSlack) {
        RequestClose(window);
        hostState.startCursor = cursor;
    }
}

void OnActivateApp(HWND window, WPARAM active)
{
    if (!active)
        RequestClose(window);
}

void OnPower(HWND window, WPARAM event)
{
    if (event == PWR_CRITICALRESUME)
        RequestClose(window);
}

int AcLineStatusChanged()
{
    SYSTEM_POWER_STATUS status;
    BYTE current = GetSystemPowerStatus(&status) ? status.ACLineStatus : AC_LINE_UNKNOWN;
    int changed = current != hostState.acLineStatus;
    hostState.acLineStatus = current;
    return changed;
}

int PowerEventEndsSaver(WPARAM event, LPARAM lParam)
{
    switch (event) {
    case PBT_APMRESUMECRITICAL:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMESTANDBY:
    case PBT_APMRESUMEAUTOMATIC:
        return (lParam & PBTF_APMRESUMEFROMFAILURE) == 0;
    case PBT_APMPOWERSTATUSCHANGE:
        return AcLineStatusChanged();
    default:
        return 1;
    }
}

void OnPowerBroadcast(HWND window, WPARAM event, LPARAM lParam)
{
    if (PowerEventEndsSaver(event, lParam))
        RequestClose(window);
}

void OnShowWindow(WPARAM shown)
{
    if (shown)
        HideCursor();
}

LRESULT OnSetCursor()
{
    HideCursor();
    return CURSOR_HANDLED;
}

void DropPendingTimerTicks(HWND window)
{
    MSG tick;
    for (int dropped = 0; dropped < DROPPED_TIMER_TICKS; ++dropped)
        PeekMessageA(&tick, window, WM_TIMER, WM_TIMER, DROP_TICK_FLAGS);
}

}  // namespace

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hostState.isPreview || hostState.closeApproved)
        return PassOn(window, message, wParam, lParam);

    // The verify request is sent while `hostState.verifying` is set, and a close request during the
    // password dialog must reach the verification to be refused there.
    switch (message) {
    case WM_CLOSE:
        return OnCloseRequest(window, wParam, lParam);
    case VERIFY_REQUEST:
        return OnVerifyRequest(window, wParam, lParam);
    }
    if (hostState.verifying)
        return PassOn(window, message, wParam, lParam);

    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        RequestClose(window);
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(window);
        break;
    case WM_ACTIVATEAPP:
        OnActivateApp(window, wParam);
        break;
    case WM_POWER:
        OnPower(window, wParam);
        break;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(window, wParam, lParam);
        break;
    case WM_SHOWWINDOW:
        OnShowWindow(wParam);
        break;
    case WM_SETCURSOR:
        return OnSetCursor();
    }
    return PassOn(window, message, wParam, lParam);
}

int VerifyPasswordToClose(HWND window)
{
    if (hostState.verifying)
        return 0;
    if (!hostState.verifierEntry) {
        hostState.closeApproved = 1;
        return 1;
    }
    if (hostState.lastVerifyTick != NO_VERIFICATION_YET && GetTickCount() - hostState.lastVerifyTick < VERIFY_GUARD_MS)
        return 0;
    hostState.verifying = 1;
    DropPendingTimerTicks(window);
    hostState.closeApproved = SendMessageA(window, VERIFY_REQUEST, 0, 0) != 0;
    hostState.verifying = 0;
    if (!hostState.closeApproved)
        HideCursor();  // the dialog showed the pointer
    hostState.lastVerifyTick = GetTickCount();
    return hostState.closeApproved;
}
