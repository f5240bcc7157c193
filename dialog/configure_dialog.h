// The configuration dialog: edits the five user settings and stores them on OK.
#ifndef TAMBLORN_CONFIGURE_DIALOG_H
#define TAMBLORN_CONFIGURE_DIALOG_H

#include <windows.h>

// Hook run before the dialog opens; there is no class of the dialog's own to register.
BOOL RegisterConfigureClasses(HINSTANCE instance);

// Runs the modal dialog over parent (may be null): 1 after OK, 2 after Cancel,
// DialogBoxParamA's failure value when the dialog cannot be created.
INT_PTR ShowConfigureDialog(HWND parent);

INT_PTR CALLBACK ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Checks the flame-strength radio for flameLimit and the fire-mode radio for fireMode.
void SyncFlameRadios(HWND dialog);

#endif
