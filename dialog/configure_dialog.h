// The configuration dialog: edits the five user settings and stores them on OK.
#ifndef TAMBLORN_CONFIGURE_DIALOG_H
#define TAMBLORN_CONFIGURE_DIALOG_H

#include "saver_host.h"

// Checks the flame-strength radio for flameLimit and the fire-mode radio for fireMode.
void SyncFlameRadios(HWND dialog);

#endif
