// Where the native programs find the settings file of the Windows program:
// $XDG_CONFIG_HOME/tamblorn/TamblornScrS, or ~/.config/tamblorn/TamblornScrS.
#ifndef TAMBLORN_SETTINGS_FILE_H
#define TAMBLORN_SETTINGS_FILE_H

#include <cstddef>

struct SaverSettings;

// False when neither $XDG_CONFIG_HOME nor $HOME gives a folder or the path
// does not fit.
bool SettingsFilePath(char* path, size_t size);

// Reads the settings file into saverSettings: every field gets its value or
// its default, also when the file is missing, unreadable or damaged. False
// when something other than a regular file (a FIFO, a folder) stands at its
// place: it is not read and the defaults hold.
bool LoadNativeSettings();

// The file's bytes by the Windows program's rules, except that a file
// without a byte-order mark whose bytes are all valid UTF-8, and not all
// ASCII, is read as UTF-8, as if it had the mark: that is what an editor on
// Linux writes. Bytes that could be either are thus UTF-8; Japanese in
// Shift-JIS is hardly ever valid UTF-8, as its most common lead bytes
// (81-9F) never start a UTF-8 character.
void ReadLinuxSettingsFile(const char* bytes, size_t length, SaverSettings* settings);

#endif
