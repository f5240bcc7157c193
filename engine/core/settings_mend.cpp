#include "settings_mend.h"

#include <cstring>

unsigned MendUnburnableSettings(SaverSettings& settings, SettingsTextLights textLights, void* frontEnd)
{
    unsigned mends = 0;
    const SettingsKey& fireMode = settingsKeys[VALUE_FIRE_MODE];
    if (settings.fireMode < fireMode.lowest || settings.fireMode > fireMode.highest) {
        settings.fireMode = FIRE_TEXT;
        mends |= MENDED_FIRE_MODE;
    }
    if (settings.fireMode == FIRE_TEXT && settings.fontSize < settingsKeys[VALUE_FONT_SIZE].lowest) {
        settings.fontSize = DEFAULT_FONT_SIZE;
        mends |= MENDED_FONT_SIZE;
    }
    if (settings.fireMode == FIRE_TEXT && strcmp(settings.text, DEFAULT_TEXT) != 0 &&
        !textLights(settings, frontEnd)) {
        memset(settings.text, 0, sizeof settings.text);
        memcpy(settings.text, DEFAULT_TEXT, sizeof DEFAULT_TEXT);
        mends |= MENDED_TEXT;
    }
    return mends;
}
