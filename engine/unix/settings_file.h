// Where the native programs find the settings file of the Windows program:
// $XDG_CONFIG_HOME/tamblorn/TamblornScrS, or ~/.config/tamblorn/TamblornScrS.
#ifndef TAMBLORN_SETTINGS_FILE_H
#define TAMBLORN_SETTINGS_FILE_H

#include <cstddef>

#include "saver_settings.h"

// False when neither $XDG_CONFIG_HOME nor $HOME gives a folder or the path
// does not fit.
bool SettingsFilePath(char* path, size_t size);

// Reads the settings file into the record: every field gets its value or
// its default, also when the file is missing, unreadable or damaged. False
// when something other than a regular file (a FIFO, a folder) stands at its
// place: it is not read and the defaults hold.
bool LoadNativeSettings(SaverSettings& settings);

#endif
