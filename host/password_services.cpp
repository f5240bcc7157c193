#include <windows.h>

#include "host_state.h"
#include "password_services.h"

namespace {

const char DESKTOP_SETTINGS_KEY[] = "Control Panel\\Desktop";
const char USE_PASSWORD_VALUE[] = "ScreenSaveUsePassword";
const char VERIFIER_LIBRARY[] = "PASSWORD.CPL";
const char VERIFIER_ENTRY[] = "VerifyScreenSavePwd";
const char PASSWORD_CHANGE_LIBRARY[] = "MPR.DLL";
const char PASSWORD_CHANGE_ENTRY[] = "PwdChangePasswordA";
const char SAVER_PASSWORD_PROVIDER[] = "SCRSAVE";

typedef DWORD(WINAPI* PwdChangePasswordEntry)(LPCSTR provider, HWND owner, DWORD reserved, LPVOID extra);

// A library entry's address is cast through the generic function type so that the
// compiler accepts the conversion to the entry's own signature.
typedef void (*AnyEntry)();

void ReadPasswordSwitchAndLoad(HKEY desktopKey)
{
    DWORD usePassword = 0;  // a shorter value leaves the missing high bytes 0
    DWORD size = sizeof usePassword;
    LONG read = RegQueryValueExA(desktopKey, USE_PASSWORD_VALUE, nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&usePassword), &size);
    if (read != ERROR_SUCCESS || usePassword == 0)
        return;
    hostState.verifierModule = LoadLibraryA(VERIFIER_LIBRARY);
    if (!hostState.verifierModule)
        return;
    hostState.verifierEntry = reinterpret_cast<VerifyScreenSavePwdEntry>(
        reinterpret_cast<AnyEntry>(GetProcAddress(hostState.verifierModule, VERIFIER_ENTRY)));
    if (hostState.verifierEntry)
        SetSaverRunning(1);
    else
        UnloadPasswordVerifier();
}

}  // namespace

void LoadPasswordVerifier()
{
    if (!hostState.win9xFamily)
        return;
    if (hostState.verifierModule)
        UnloadPasswordVerifier();
    HKEY desktopKey;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, DESKTOP_SETTINGS_KEY, 0, KEY_QUERY_VALUE, &desktopKey) != ERROR_SUCCESS)
        return;
    ReadPasswordSwitchAndLoad(desktopKey);
    RegCloseKey(desktopKey);
}

void UnloadPasswordVerifier()
{
    if (!hostState.win9xFamily || !hostState.verifierModule)
        return;
    FreeLibrary(hostState.verifierModule);
    hostState.verifierModule = nullptr;
    if (hostState.verifierEntry) {
        hostState.verifierEntry = nullptr;
        SetSaverRunning(0);
    }
}

void ChangeSaverPassword(HWND owner)
{
    HMODULE library = LoadLibraryA(PASSWORD_CHANGE_LIBRARY);
    if (!library)
        return;
    PwdChangePasswordEntry changePassword = reinterpret_cast<PwdChangePasswordEntry>(
        reinterpret_cast<AnyEntry>(GetProcAddress(library, PASSWORD_CHANGE_ENTRY)));
    if (changePassword)
        changePassword(SAVER_PASSWORD_PROVIDER, owner, 0, nullptr);
    FreeLibrary(library);
}

void SetSaverRunning(int running)
{
    if (!hostState.win9xFamily)
        return;
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, static_cast<UINT>(running), &previous, 0);
}
