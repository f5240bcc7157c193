// The closing rules: the input, activation and power events that end the
// saver, through DefaultSaverProc (declared in the contract).
#ifndef TAMBLORN_CLOSING_RULES_H
#define TAMBLORN_CLOSING_RULES_H

#include <windows.h>

// On the 9x family with a password: asks the verifier; non-zero to close.
int VerifyPasswordToClose(HWND window);

#endif
