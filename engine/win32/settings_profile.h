// The settings file through the system's profile functions.
#ifndef TAMBLORN_SETTINGS_PROFILE_H
#define TAMBLORN_SETTINGS_PROFILE_H

#include "saver_settings.h"

// The one settings record, which these functions read and write.
extern SaverSettings saverSettings;

void LoadSaverSettings();
// Writes the five values; false unless every one was written.
bool SaveSaverSettings();

#endif
