#include "pointer_travel.h"

#include <cstdlib>

bool PointerTravelEnds(PointerTravel* travel, int32_t x, int32_t y)
{
    if (!travel->started) {
        *travel = {true, x, y};
        return false;
    }
    int64_t distance = std::llabs(static_cast<int64_t>(x) - travel->startX) +
                       std::llabs(static_cast<int64_t>(y) - travel->startY);
    if (distance <= POINTER_SLACK)
        return false;
    travel->startX = x;
    travel->startY = y;
    return true;
}
