// A "PASSWORD.CPL" that lacks the verifier entry, as a damaged or foreign library
// of that name would. It only records being loaded and freed.
#include <windows.h>

#include "double_log.h"

extern "C" {

int WINAPI DoubleHasNoVerifierEntry()
{
    return 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        AppendDoubleLog("PASSWORD.CPL without entry loaded");
    else if (reason == DLL_PROCESS_DETACH)
        AppendDoubleLog(reserved ? "PASSWORD.CPL without entry released at exit" : "PASSWORD.CPL without entry freed");
    return TRUE;
}

}  // extern "C"
