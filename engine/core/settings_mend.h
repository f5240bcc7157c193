// The settings a front end sets back to their defaults where the saver would
// burn nothing: the X11 program and the page show fire where the Windows
// program shows black.
#ifndef TAMBLORN_SETTINGS_MEND_H
#define TAMBLORN_SETTINGS_MEND_H

#include "saver_settings.h"

// What MendUnburnableSettings set back to its default.
enum SettingsMend : unsigned { MENDED_FIRE_MODE = 1, MENDED_FONT_SIZE = 2, MENDED_TEXT = 4 };

// Whether the settings' text, drawn as the front end's set-up draws it, lights
// a fuel point.
typedef bool (*SettingsTextLights)(const SaverSettings& settings, void* frontEnd);

// Sets back to its default what cannot burn, before the canvas is set up: a
// fire mode other than text or bonfire becomes the text, the text's font size
// of 0 or below (after the file's low-byte rule) the default size, and a text
// that lights no fuel point the default text. Returns the mends made.
unsigned MendUnburnableSettings(SaverSettings& settings, SettingsTextLights textLights, void* frontEnd);

#endif
