// The settings file through the system's profile functions.
#ifndef TAMBLORN_SETTINGS_PROFILE_H
#define TAMBLORN_SETTINGS_PROFILE_H

#include "saver_settings.h"

void LoadSaverSettings();
void SaveSaverSettings();

#endif
