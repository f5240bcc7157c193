// The settings a front end sets back to their defaults where the saver would
// burn nothing: the X11 program and the page show fire where the Windows
// program shows black.
#ifndef TAMBLORN_SETTINGS_MEND_H
#define TAMBLORN_SETTINGS_MEND_H

#include <cstdint>

#include "saver_settings.h"

// What MendUnburnableSettings set back to its default.
enum SettingsMend : unsigned { MENDED_FIRE_MODE = 1, MENDED_FONT_SIZE = 2, MENDED_TEXT = 4 };

// Builds the front end's canvas for the settings; gives the fuel points it lit.
typedef int32_t (*SettingsCanvasSetUp)(const SaverSettings& settings, void* frontEnd);

// Sets up the canvas through setUp with what cannot burn set back to its
// default: a fire mode other than text or bonfire becomes the text, the text's
// font size of 0 or below (after the file's low-byte rule) the default size,
// and a text that lights no fuel point the default text (the canvas is then
// set up again). Returns the mends made.
unsigned MendUnburnableSettings(SaverSettings& settings, SettingsCanvasSetUp setUp, void* frontEnd);

#endif
