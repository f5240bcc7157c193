// The seat's keyboard and pointer, which end the run: any key, any button,
// or the pointer moved beyond the closing rule's slack.
#ifndef TAMBLORN_SEAT_INPUT_H
#define TAMBLORN_SEAT_INPUT_H

#include "wayland_saver.h"

// Follows the seat's capabilities: a keyboard or pointer that comes later
// (a virtual keyboard, a mouse plugged in) is listened to as well.
void ListenToSeat(WaylandSaver* saver);
void ReleaseSeat(WaylandSaver* saver);

#endif
