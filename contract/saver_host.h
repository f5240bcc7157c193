// The contract between the screen-saver host and the parts it runs: what the
// host offers the effect and the configuration dialog, and what they supply.
// The effect and the dialog include nothing else of the host.
#ifndef TAMBLORN_SAVER_HOST_H
#define TAMBLORN_SAVER_HOST_H

#include <windows.h>

// Offered by the host.
const char SAVER_WINDOW_CLASS[] = "WindowsScreenSaverClass";
HINSTANCE SaverModuleInstance();  // the program's module: its resources
bool SaverIsPreview();  // the saver runs in a preview window, not full screen
// Where the effect passes every message it does not end itself.
LRESULT DefaultSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Supplied by the effect: every message of the saver window, after the host's own handling.
LRESULT EffectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Supplied by the dialog: run before the dialog opens, then the dialog's procedure.
BOOL RegisterConfigureClasses(HINSTANCE instance);
INT_PTR CALLBACK ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
