// The compositor's globals the program binds (the compositor, shared memory,
// the xdg-shell base, the seat and every output) and the outputs' scale,
// place and mode as the compositor tells them.
#ifndef TAMBLORN_COMPOSITOR_GLOBALS_H
#define TAMBLORN_COMPOSITOR_GLOBALS_H

#include "wayland_saver.h"

// Connects to $WAYLAND_DISPLAY and binds the globals; false, with the reason
// in message, when there is no compositor or it lacks what the program needs.
bool ConnectToCompositor(WaylandSaver* saver, const char** message);
void DisconnectFromCompositor(WaylandSaver* saver);

#endif
