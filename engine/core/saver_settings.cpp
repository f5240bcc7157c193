#include "saver_settings.h"

#include "flame_canvas.h"

namespace {

const uint32_t LOW_BYTE = 0xFF;

}  // namespace

const SettingsKey settingsKeys[SETTINGS_VALUES] = {
    {"BURNING", "TEXT", 0, 0, 0},
    {"FONT", "SIZE", DEFAULT_FONT_SIZE, 1, LARGEST_FONT_SIZE},
    {"WHITCH", "FIRE", FIRE_TEXT, FIRE_TEXT, FIRE_BONFIRE},
    {"FLAME", "LIMIT", DEFAULT_FLAME_LIMIT, 0, LEVEL_CEILING},
    {"FLAME", "LOOP", DEFAULT_LOOP, 0, 1},
};

int32_t SettingsNumber(const SaverSettings& settings, SettingsValue value)
{
    switch (value) {
    case VALUE_FONT_SIZE:
        return settings.fontSize;
    case VALUE_FIRE_MODE:
        return settings.fireMode;
    case VALUE_FLAME_LIMIT:
        return settings.flameLimit;
    case VALUE_LOOP:
        return settings.loop;
    default:
        return 0;
    }
}

void SetSettingsNumber(SaverSettings* settings, SettingsValue value, int32_t number)
{
    switch (value) {
    case VALUE_FONT_SIZE:
        settings->fontSize = static_cast<int8_t>(static_cast<uint32_t>(number) & LOW_BYTE);
        break;
    case VALUE_FIRE_MODE:
        settings->fireMode = number;
        break;
    case VALUE_FLAME_LIMIT:
        settings->flameLimit = number;
        break;
    case VALUE_LOOP:
        settings->loop = number;
        break;
    default:
        break;
    }
}

bool IsShiftJisLeadByte(uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

size_t WholeCharacterBytes(const char* text, size_t limit)
{
    size_t kept = 0;
    for (size_t at = 0; text[at] != '\0';) {
        size_t next = at + (IsShiftJisLeadByte(static_cast<uint8_t>(text[at])) && text[at + 1] != '\0' ? 2 : 1);
        if (next > limit)
            break;
        kept = at = next;
    }
    return kept;
}
