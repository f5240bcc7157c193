#include "settings_profile.h"

#include <windows.h>

#include <cstring>

#include "resource_ids.h"
#include "saver_host.h"

namespace {

// The file name comes from the string table through a 13-byte buffer, so the
// name in use is its first twelve characters.
const int SETTINGS_FILE_NAME_BYTES = 13;
const int NUMBER_BYTES = 16;

void LoadSettingsFileName(char* settingsFileName)
{
    LoadStringA(SaverModuleInstance(), IDS_SETTINGS_FILE, settingsFileName, SETTINGS_FILE_NAME_BYTES);
}

void WriteNumber(const char* settingsFileName, const char* section, const char* key, int value)
{
    char number[NUMBER_BYTES];
    wsprintfA(number, "%d", value);
    WritePrivateProfileStringA(section, key, number, settingsFileName);
}

}  // namespace

void LoadSaverSettings()
{
    char settingsFileName[SETTINGS_FILE_NAME_BYTES] = {};
    LoadSettingsFileName(settingsFileName);
    SaverSettings& settings = saverSettings;
    // A text cut before a double-byte character that does not fit leaves the
    // byte before the cut unwritten: it must not keep an earlier text's byte.
    memset(settings.text, 0, sizeof settings.text);
    GetPrivateProfileStringA("BURNING", "TEXT", DEFAULT_TEXT, settings.text, SETTINGS_TEXT_BYTES, settingsFileName);
    settings.fontSize =
        static_cast<int8_t>(GetPrivateProfileIntA("FONT", "SIZE", DEFAULT_FONT_SIZE, settingsFileName) & 0xFF);
    settings.flameLimit =
        static_cast<int32_t>(GetPrivateProfileIntA("FLAME", "LIMIT", DEFAULT_FLAME_LIMIT, settingsFileName));
    settings.loop = static_cast<int32_t>(GetPrivateProfileIntA("FLAME", "LOOP", DEFAULT_LOOP, settingsFileName));
    settings.fireMode = static_cast<int32_t>(GetPrivateProfileIntA("WHITCH", "FIRE", FIRE_TEXT, settingsFileName));
}

void SaveSaverSettings()
{
    char settingsFileName[SETTINGS_FILE_NAME_BYTES] = {};
    LoadSettingsFileName(settingsFileName);
    WritePrivateProfileStringA("BURNING", "TEXT", saverSettings.text, settingsFileName);
    WriteNumber(settingsFileName, "FONT", "SIZE", saverSettings.fontSize);
    WriteNumber(settingsFileName, "WHITCH", "FIRE", saverSettings.fireMode);
    WriteNumber(settingsFileName, "FLAME", "LIMIT", saverSettings.flameLimit);
    WriteNumber(settingsFileName, "FLAME", "LOOP", saverSettings.loop);
}
