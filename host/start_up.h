// Start-up: the switch of the command line dispatched to the saver, its
// preview, the configuration dialog or the password change.
#ifndef TAMBLORN_START_UP_H
#define TAMBLORN_START_UP_H

#include <windows.h>

int SaverMain(HINSTANCE instance, const char* argumentText);
void StartFromCommandLine();
// Runs the modal configuration dialog over parent (may be null): 1 after OK, 2 after
// Cancel, DialogBoxParamA's failure value when the dialog cannot be created.
INT_PTR ShowConfigureDialog(HWND parent);

#endif
