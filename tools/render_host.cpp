// The renderer is a host of the effect of its own: it offers the contract's
// entries for an off-screen window that nobody closes.
#include "saver_host.h"

HINSTANCE SaverModuleInstance()
{
    return GetModuleHandleA(nullptr);
}

bool SaverIsPreview()
{
    return false;
}

LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}
