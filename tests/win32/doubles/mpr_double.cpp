// Stand-in for the platform's "MPR.DLL": records the password-change call and its
// own unloading in the file named by TAMBLORN_DOUBLE_LOG. Wine prefers it to its
// built-in library only with the DLL override mpr=n.
#include <windows.h>

#include "double_log.h"

extern "C" {

DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD third, LPVOID fourth)
{
    AppendDoubleLog("PwdChangePasswordA provider=\"%.64s\" owner=%llu third=%lu fourth=%llu",
                    provider ? provider : "(null)", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)),
                    static_cast<unsigned long>(third),
                    static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(fourth)));
    return ERROR_CANCELLED;  // the caller must not depend on the result
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    return LogLoadingOf("MPR.DLL", reason, reserved);
}

}  // extern "C"
