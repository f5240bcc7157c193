#include "saver_settings.h"

SaverSettings saverSettings = {"", DEFAULT_FONT_SIZE, DEFAULT_FLAME_LIMIT, DEFAULT_LOOP, FIRE_TEXT};

bool IsShiftJisLeadByte(uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
