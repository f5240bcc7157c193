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
    return LogLoadingOf("PASSWORD.CPL without entry", reason, reserved);
}

}  // extern "C"
