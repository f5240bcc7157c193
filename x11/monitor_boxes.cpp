#include "monitor_boxes.h"

#include <X11/extensions/Xinerama.h>
#include <X11/Xresource.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <cstdlib>

#include "saver_canvas.h"

namespace {

const int RANDR_MONITORS_MINOR = 5;  // RandR 1.5 lists monitors

// Adds a monitor given in root coordinates, cut to the window.
void AddMonitor(MonitorLayout& monitors, int32_t left, int32_t top, int32_t width, int32_t height, bool primary, int32_t windowX,
                int32_t windowY, int32_t clientWidth, int32_t clientHeight)
{
    MonitorBox box = {left - windowX, top - windowY, left - windowX + width, top - windowY + height};
    AddMonitorBox(monitors, box, primary, clientWidth, clientHeight);
}

bool ReadXinerama(MonitorLayout& layout, Display* display, int32_t windowX, int32_t windowY, int32_t clientWidth, int32_t clientHeight)
{
    int eventBase = 0;
    int errorBase = 0;
    if (!XineramaQueryExtension(display, &eventBase, &errorBase) || !XineramaIsActive(display))
        return false;
    int count = 0;
    XineramaScreenInfo* screens = XineramaQueryScreens(display, &count);
    if (!screens)
        return false;
    for (int i = 0; i < count; ++i)
        AddMonitor(layout, screens[i].x_org, screens[i].y_org, screens[i].width, screens[i].height, i == 0, windowX, windowY,
                   clientWidth, clientHeight);
    XFree(screens);
    return count > 1;
}

void ReadRandr(MonitorLayout& layout, Display* display, Window root, int32_t windowX, int32_t windowY, int32_t clientWidth,
               int32_t clientHeight)
{
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
        (major == 1 && minor < RANDR_MONITORS_MINOR))
        return;
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
    if (!monitors)
        return;
    for (int i = 0; i < count; ++i)
        AddMonitor(layout, monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height, monitors[i].primary, windowX,
                   windowY, clientWidth, clientHeight);
    XRRFreeMonitors(monitors);
}

}  // namespace

void ReadX11Monitors(MonitorLayout& monitors, Display* display, Window window, int32_t clientWidth,
                     int32_t clientHeight)
{
    monitors = MonitorLayout();
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return;
    Window root = attributes.root;
    int windowX = 0;
    int windowY = 0;
    Window child;
    XTranslateCoordinates(display, window, root, 0, 0, &windowX, &windowY, &child);
    if (ReadXinerama(monitors, display, windowX, windowY, clientWidth, clientHeight))
        return;
    monitors = MonitorLayout();
    ReadRandr(monitors, display, root, windowX, windowY, clientWidth, clientHeight);
}

int32_t ReadXftDpi(Display* display)
{
    const char* resources = XResourceManagerString(display);
    if (!resources)
        return 0;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    char* type = nullptr;
    XrmValue value = {};
    double dotsPerInch = 0;
    if (database && XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
        dotsPerInch = strtod(value.addr, nullptr);
    if (database)
        XrmDestroyDatabase(database);
    return dotsPerInch > 0 && dotsPerInch < INT32_MAX ? static_cast<int32_t>(lround(dotsPerInch)) : 0;
}
