#include "saver_settings.h"

SaverSettings saverSettings = {"", DEFAULT_FONT_SIZE, DEFAULT_FLAME_LIMIT, DEFAULT_LOOP, FIRE_TEXT};
