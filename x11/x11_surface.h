// The picture of the canvas on the X server: an MIT-SHM image where the
// server offers one, a plain XImage otherwise, in the window's TrueColor
// visual of any depth (15, 16, 24, 30, 32 with alpha).
#ifndef TAMBLORN_X11_SURFACE_H
#define TAMBLORN_X11_SURFACE_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "flame_canvas.h"

const unsigned CHANNEL_LEVELS = 256;

struct X11Surface {
    Display* display;
    Window window;
    Visual* visual;
    int depth;
    GC gc;
    unsigned long black;
    XImage* image;
    bool shared;
    XShmSegmentInfo segment;
    int32_t imageWidth;
    int32_t imageHeight;
    int32_t windowWidth;  // the window's size when the surface was opened
    int32_t windowHeight;
    bool directCopy;  // the canvas's pixel words are the image's, with opaqueBits set
    // The visual's pixel for each level of a canvas channel, and its alpha bits set.
    unsigned long redPixels[CHANNEL_LEVELS];
    unsigned long greenPixels[CHANNEL_LEVELS];
    unsigned long bluePixels[CHANNEL_LEVELS];
    unsigned long opaqueBits;
    // Set by the error handler when a request on the window failed: the window is gone.
    bool windowGone;
    // While the shared segment is attached, the error handler notes any error here.
    bool attaching;
    bool attachFailed;
};

// False, with the reason in message, for a window that cannot be read or a
// visual that is not TrueColor.
bool OpenSurface(X11Surface& surface, Display* display, Window window, const char** message);
// An image of the canvas's size; false when not even a plain one can be had.
bool CreateSurfaceImage(X11Surface& surface, int32_t width, int32_t height);
void ReleaseSurfaceImage(X11Surface& surface);
void CloseSurface(X11Surface& surface);
// Copies the canvas's pixels into the image and the image to the canvas's place.
void PutCanvasPicture(X11Surface& surface, const FlameCanvas& canvas);
// Blackens the canvas's client area.
void PaintWindowBlack(const X11Surface& surface, const FlameCanvas& canvas);
// What the program's error handler does with an error: notes a failed attach
// or a window gone.
void NoteSurfaceError(X11Surface& surface, const XErrorEvent& error);

#endif
