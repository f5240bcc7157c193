// The picture of the canvas on the X server: an MIT-SHM image where the
// server offers one, a plain XImage otherwise, in the window's TrueColor
// visual of depth 16, 24 or 32.
#ifndef TAMBLORN_X11_SURFACE_H
#define TAMBLORN_X11_SURFACE_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

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
    bool directCopy;  // the canvas's pixel words are the image's, as they stand
    int redShift, greenShift, blueShift;
    int redLoss, greenLoss, blueLoss;
    // Set by the error handler when a request on the window failed: the window is gone.
    bool windowGone;
};

extern X11Surface x11Surface;

// False, with the reason in message, for a visual that is not TrueColor of
// depth 16, 24 or 32.
bool OpenSurface(Display* display, Window window, const char** message);
// An image of the canvas's size; false when not even a plain one can be had.
bool CreateSurfaceImage(int32_t width, int32_t height);
void ReleaseSurfaceImage();
void CloseSurface();
// Copies the canvas's pixels into the image and the image to the canvas's place.
void PutCanvasPicture();
void PaintWindowBlack();

#endif
