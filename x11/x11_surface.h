// The picture of the canvas on the X server: an MIT-SHM image where the
// server offers one, a plain XImage otherwise, in the window's TrueColor
// visual of any depth (15, 16, 24, 30, 32 with alpha).
#ifndef TAMBLORN_X11_SURFACE_H
#define TAMBLORN_X11_SURFACE_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

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
};

extern X11Surface x11Surface;

// False, with the reason in message, for a window that cannot be read or a
// visual that is not TrueColor.
bool OpenSurface(Display* display, Window window, const char** message);
// An image of the canvas's size; false when not even a plain one can be had.
bool CreateSurfaceImage(int32_t width, int32_t height);
void ReleaseSurfaceImage();
void CloseSurface();
// Copies the canvas's pixels into the image and the image to the canvas's place.
void PutCanvasPicture();
void PaintWindowBlack();

#endif
