// The closing rule for pointer moves that every front end shares: the saver
// ends once the pointer has travelled more than a small slack (the sum of
// the horizontal and vertical distance) from where it was first seen.
#ifndef TAMBLORN_POINTER_TRAVEL_H
#define TAMBLORN_POINTER_TRAVEL_H

#include <cstdint>

const int32_t POINTER_SLACK = 4;

struct PointerTravel {
    bool started;
    int32_t startX;
    int32_t startY;
};

// The first place seen is the start; true once a place lies beyond the
// slack from it (the start then moves there, as the Windows program does).
bool PointerTravelEnds(PointerTravel* travel, int32_t x, int32_t y);

#endif
