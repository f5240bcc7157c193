// The window the program draws on: the one asked for on the command line,
// the daemon's (XSCREENSAVER_WINDOW), the (virtual) root, or one of its own.
#ifndef TAMBLORN_DRAW_WINDOW_H
#define TAMBLORN_DRAW_WINDOW_H

#include <X11/Xlib.h>

#include "saver_options.h"

struct DrawWindow {
    Window window;
    bool ownWindow;
    Atom deleteWindow;
};

// False, with the reason in message, when the window asked for does not exist.
bool ChooseDrawWindow(DrawWindow& drawWindow, Display* display, const SaverOptions& options, const char** message);
void ReleaseDrawWindow(DrawWindow& drawWindow, Display* display);

#endif
