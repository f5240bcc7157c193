#include "effect_window.h"

int32_t clientWidth;
int32_t clientHeight;
