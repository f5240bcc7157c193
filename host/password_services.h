// The password services of the 9x family: the verifier, the password change
// and telling the system that a saver runs.
#ifndef TAMBLORN_PASSWORD_SERVICES_H
#define TAMBLORN_PASSWORD_SERVICES_H

#include <windows.h>

void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void ChangeSaverPassword(HWND owner);
void SetSaverRunning(int running);

#endif
