// The five user settings and the settings file that keeps them.
#ifndef TAMBLORN_SAVER_SETTINGS_H
#define TAMBLORN_SAVER_SETTINGS_H

#include <cstdint>

const int SETTINGS_TEXT_BYTES = 40;
const int DEFAULT_FONT_SIZE = 32;
const int DEFAULT_FLAME_LIMIT = 12;
const int DEFAULT_LOOP = 0;

enum FireMode { FIRE_TEXT = 0, FIRE_BONFIRE = 1 };

struct SaverSettings {
    char text[SETTINGS_TEXT_BYTES];
    int8_t fontSize;
    int32_t flameLimit;
    int32_t loop;
    int32_t fireMode;
};

extern SaverSettings saverSettings;

void LoadSaverSettings();
// Writes the five values; false unless every one was written.
bool SaveSaverSettings();

#endif
