#include <windows.h>

#include <commctrl.h>

#include "command_line.h"
#include "configure_dialog.h"
#include "fault_guard.h"
#include "host_state.h"
#include "password_services.h"
#include "saver_window.h"
#include "start_up.h"
#include "resource_ids.h"
#include "wide_calls.h"

namespace {

const DWORD COMMON_CONTROLS_BYTES = 8;
const DWORD VERSION_INFO_BYTES = 148;
const int REJECTED_COMMAND_LINE = -1;
const int PASSWORD_CHANGED = 0;

static_assert(sizeof(INITCOMMONCONTROLSEX) == COMMON_CONTROLS_BYTES, "the common-controls record is 8 bytes");
static_assert(sizeof(OSVERSIONINFOA) == VERSION_INFO_BYTES, "the version record is 148 bytes");

// Window numbers on the command line are window handles written in decimal.
HWND ExistingWindow(DWORD windowNumber)
{
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(windowNumber));
    if (windowNumber == 0 || !IsWindow(window))
        return nullptr;
    return window;
}

HWND ExistingOrForegroundWindow(DWORD windowNumber)
{
    HWND window = ExistingWindow(windowNumber);
    return window ? window : GetForegroundWindow();
}

int RunPreview(DWORD windowNumber)
{
    HWND parent = ExistingWindow(windowNumber);
    if (!parent)
        return REJECTED_COMMAND_LINE;
    return RunSaverWindow(parent);
}

int ChangePassword(DWORD windowNumber)
{
    if (!hostState.win9xFamily)
        return REJECTED_COMMAND_LINE;
    ChangeSaverPassword(ExistingOrForegroundWindow(windowNumber));
    return PASSWORD_CHANGED;
}

int DispatchSwitch(const char* argumentText)
{
    SaverSwitch request;
    ReadSaverSwitch(argumentText, &request);
    switch (request.kind) {
    case SWITCH_NONE:
        return static_cast<int>(ShowConfigureDialog(nullptr));
    case SWITCH_CONFIGURE:
        return static_cast<int>(ShowConfigureDialog(ExistingOrForegroundWindow(request.windowNumber)));
    case SWITCH_FULL_SCREEN:
        return RunSaverWindow(nullptr);
    case SWITCH_PREVIEW:
        return RunPreview(request.windowNumber);
    case SWITCH_PASSWORD:
        return ChangePassword(request.windowNumber);
    case SWITCH_REJECTED:
        break;
    }
    return REJECTED_COMMAND_LINE;
}

void ReportSaverStopped()
{
    SetSaverRunning(0);
}

}  // namespace

INT_PTR ShowConfigureDialog(HWND parent)
{
    BOOL registered = RegisterConfigureClasses(hostState.moduleInstance);
    if (!registered)
        return registered;
    // A Unicode dialog shows its Japanese template on every NT system whatever its code page; the 9x
    // family has only the ANSI one.
    const WideCalls* wide = BoundWideCalls();
    if (hostState.win9xFamily || !wide)
        return DialogBoxParamA(hostState.moduleInstance, MAKEINTRESOURCEA(IDD_CONFIGURE), parent, ConfigureDialogProc,
                               0);
    return wide->dialogBoxParam(hostState.moduleInstance, MAKEINTRESOURCEW(IDD_CONFIGURE), parent, ConfigureDialogProc,
                                0);
}

int SaverMain(HINSTANCE instance, const char* argumentText)
{
    INITCOMMONCONTROLSEX controls = {COMMON_CONTROLS_BYTES, ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    hostState.moduleInstance = instance;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = VERSION_INFO_BYTES;
    hostState.win9xFamily = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;
    return RunGuarded(DispatchSwitch, argumentText, ReportSaverStopped);
}

void StartFromCommandLine()
{
    const char* argumentText = FindArgumentText(GetCommandLineA());
    ExitProcess(static_cast<UINT>(SaverMain(GetModuleHandleA(nullptr), argumentText)));
}
