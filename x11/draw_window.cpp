#include "draw_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char SAVER_WINDOW_VARIABLE[] = "XSCREENSAVER_WINDOW";
const char OWN_WINDOW_TITLE[] = "Tamblorn";
// WM_CLASS: the instance and class names window managers and docks match.
const char OWN_WINDOW_INSTANCE[] = "tamblorn";
const char OWN_WINDOW_CLASS[] = "Tamblorn";
const unsigned OWN_WINDOW_WIDTH = 1024;
const unsigned OWN_WINDOW_HEIGHT = 768;
const long FOREIGN_EVENTS = StructureNotifyMask | ExposureMask;
const long OWN_EVENTS = StructureNotifyMask | ExposureMask | KeyPressMask;
// The protocol carries 32 bits: Xlib would cut a larger number down to some other window.
const unsigned long LARGEST_WINDOW_ID = 0xFFFFFFFFUL;

bool ReadWindowVariable(unsigned long* id)
{
    const char* value = getenv(SAVER_WINDOW_VARIABLE);
    // strtoul would also take leading blanks and a sign.
    if (!value || !isdigit(static_cast<unsigned char>(value[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    *id = strtoul(value, &end, 0);
    return errno == 0 && *end == '\0' && *id != 0 && *id <= LARGEST_WINDOW_ID;
}

// A window manager or the daemon may stand a virtual root over the real one.
Window VirtualRoot(Display* display)
{
    Window root = DefaultRootWindow(display);
    Atom virtualRoot = XInternAtom(display, "__SWM_VROOT", False);
    Window parent;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = root;
    if (XQueryTree(display, root, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && found == root; ++i) {
            Atom type;
            int format;
            unsigned long items;
            unsigned long after;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, children[i], virtualRoot, 0, 1, False, XA_WINDOW, &type, &format, &items,
                                   &after, &data) == Success &&
                type == XA_WINDOW && items == 1 && data)
                found = *reinterpret_cast<Window*>(data);
            if (data)
                XFree(data);
        }
        if (children)
            XFree(children);
    }
    return found;
}

Window CreateOwnWindow(DrawWindow& drawWindow, Display* display)
{
    int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, OWN_WINDOW_WIDTH,
                                        OWN_WINDOW_HEIGHT, 0, BlackPixel(display, screen), BlackPixel(display, screen));
    XStoreName(display, window, OWN_WINDOW_TITLE);
    // Xlib's hint takes the names as writable, though it only reads them.
    char instance[sizeof OWN_WINDOW_INSTANCE];
    char windowClass[sizeof OWN_WINDOW_CLASS];
    memcpy(instance, OWN_WINDOW_INSTANCE, sizeof instance);
    memcpy(windowClass, OWN_WINDOW_CLASS, sizeof windowClass);
    XClassHint classHint = {instance, windowClass};
    XSetClassHint(display, window, &classHint);
    drawWindow.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &drawWindow.deleteWindow, 1);
    XSelectInput(display, window, OWN_EVENTS);
    XMapWindow(display, window);
    return window;
}

}  // namespace

bool ChooseDrawWindow(DrawWindow& drawWindow, Display* display, const SaverOptions& options, const char** message)
{
    drawWindow = DrawWindow();
    unsigned long id = 0;
    // The daemon's window is the virtual root it gives its programs, also
    // when it passes -root, as it does.
    if (options.target == TARGET_WINDOW_ID)
        drawWindow.window = static_cast<Window>(options.windowId);
    else if (ReadWindowVariable(&id))
        drawWindow.window = id;
    else if (options.target == TARGET_ROOT)
        drawWindow.window = VirtualRoot(display);
    if (!drawWindow.window) {
        drawWindow.window = CreateOwnWindow(drawWindow, display);
        drawWindow.ownWindow = true;
        return true;
    }
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, drawWindow.window, &attributes)) {
        *message = "the window to draw on does not exist";
        return false;
    }
    XSelectInput(display, drawWindow.window, FOREIGN_EVENTS);
    return true;
}

void ReleaseDrawWindow(DrawWindow& drawWindow, Display* display)
{
    if (drawWindow.ownWindow)
        XDestroyWindow(display, drawWindow.window);
    drawWindow = DrawWindow();
}
