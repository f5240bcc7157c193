#include "saver_settings.h"

#include <windows.h>

#include <cstring>

#include "resource_ids.h"
#include "saver_host.h"

namespace {

// The file name comes from the string table through a 13-byte buffer, so the
// name in use is its first twelve characters.
const int SETTINGS_FILE_NAME_BYTES = 13;
const int NUMBER_BYTES = 16;
const char DEFAULT_TEXT[] = "\x8C\xDC\x8E\x9A\x91\x97\x82\xE8\x89\xCE";  // 五字送り火

void LoadSettingsFileName(char* settingsFileName)
{
    LoadStringA(SaverModuleInstance(), IDS_SETTINGS_FILE, settingsFileName, SETTINGS_FILE_NAME_BYTES);
}

bool WriteNumber(const char* settingsFileName, const char* section, const char* key, int value)
{
    char number[NUMBER_BYTES];
    wsprintfA(number, "%d", value);
    return WritePrivateProfileStringA(section, key, number, settingsFileName) != FALSE;
}

// The profile reader strips blanks and control bytes from both ends of a value, and one pair of
// enclosing quotes. A text that would lose any of them is written inside double quotes, which the
// reader removes again; the double-byte blank (81 40) is treated as a blank too.
const char WIDE_BLANK[] = "\x81\x40";
const int WIDE_BLANK_BYTES = 2;
const int QUOTES_BYTES = 2;

bool IsStrippedByte(char at)
{
    const unsigned char byte = static_cast<unsigned char>(at);
    return byte <= ' ' || byte == '"' || byte == '\'';
}

bool NeedsQuotes(const char* text, int length)
{
    if (length == 0)
        return false;
    const bool wideBlankAtAnEnd =
        length >= WIDE_BLANK_BYTES && (memcmp(text, WIDE_BLANK, WIDE_BLANK_BYTES) == 0 ||
                                       memcmp(text + length - WIDE_BLANK_BYTES, WIDE_BLANK, WIDE_BLANK_BYTES) == 0);
    return IsStrippedByte(text[0]) || IsStrippedByte(text[length - 1]) || wideBlankAtAnEnd;
}

bool WriteText(const char* settingsFileName, const char* text)
{
    char quoted[SETTINGS_TEXT_BYTES + QUOTES_BYTES];
    if (NeedsQuotes(text, lstrlenA(text))) {
        wsprintfA(quoted, "\"%s\"", text);
        text = quoted;
    }
    return WritePrivateProfileStringA("BURNING", "TEXT", text, settingsFileName) != FALSE;
}

}  // namespace

void LoadSaverSettings()
{
    char settingsFileName[SETTINGS_FILE_NAME_BYTES] = {};
    LoadSettingsFileName(settingsFileName);
    SaverSettings& settings = saverSettings;
    // Room for the enclosing quotes: a reader may need it to remove them from a text of full length.
    char read[SETTINGS_TEXT_BYTES + QUOTES_BYTES];
    GetPrivateProfileStringA("BURNING", "TEXT", DEFAULT_TEXT, read, sizeof read, settingsFileName);
    lstrcpynA(settings.text, read, SETTINGS_TEXT_BYTES);
    settings.fontSize =
        static_cast<int8_t>(GetPrivateProfileIntA("FONT", "SIZE", DEFAULT_FONT_SIZE, settingsFileName) & 0xFF);
    settings.flameLimit =
        static_cast<int32_t>(GetPrivateProfileIntA("FLAME", "LIMIT", DEFAULT_FLAME_LIMIT, settingsFileName));
    settings.loop = static_cast<int32_t>(GetPrivateProfileIntA("FLAME", "LOOP", DEFAULT_LOOP, settingsFileName));
    settings.fireMode = static_cast<int32_t>(GetPrivateProfileIntA("WHITCH", "FIRE", FIRE_TEXT, settingsFileName));
}

bool SaveSaverSettings()
{
    char settingsFileName[SETTINGS_FILE_NAME_BYTES] = {};
    LoadSettingsFileName(settingsFileName);
    bool written = WriteText(settingsFileName, saverSettings.text);
    written &= WriteNumber(settingsFileName, "FONT", "SIZE", saverSettings.fontSize);
    written &= WriteNumber(settingsFileName, "WHITCH", "FIRE", saverSettings.fireMode);
    written &= WriteNumber(settingsFileName, "FLAME", "LIMIT", saverSettings.flameLimit);
    written &= WriteNumber(settingsFileName, "FLAME", "LOOP", saverSettings.loop);
    return written;
}
