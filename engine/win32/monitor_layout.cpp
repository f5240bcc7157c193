// The monitors the full-screen canvas may stand on, read once at creation.
// The monitor functions are bound by name: older systems lack them.
#include "monitor_layout.h"

#include "saver_canvas.h"

namespace {

typedef BOOL(WINAPI* EnumDisplayMonitorsEntry)(HDC context, LPCRECT clip, MONITORENUMPROC callback, LPARAM data);
typedef BOOL(WINAPI* GetMonitorInfoEntry)(HMONITOR monitor, LPMONITORINFO info);

// What the enumeration's callback is handed.
struct MonitorReading {
    MonitorLayout* monitors;
    GetMonitorInfoEntry getMonitorInfo;
    POINT clientOrigin;
    RECT client;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    const MonitorReading& monitorReading = *reinterpret_cast<const MonitorReading*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!monitorReading.getMonitorInfo(monitor, &info))
        return TRUE;
    const POINT& origin = monitorReading.clientOrigin;
    MonitorBox box = {info.rcMonitor.left - origin.x, info.rcMonitor.top - origin.y, info.rcMonitor.right - origin.x,
                      info.rcMonitor.bottom - origin.y};
    return AddMonitorBox(*monitorReading.monitors, box, (info.dwFlags & MONITORINFOF_PRIMARY) != 0, monitorReading.client.right,
                         monitorReading.client.bottom);
}

}  // namespace

void ReadMonitorLayout(MonitorLayout& monitors, HWND window)
{
    monitors = MonitorLayout();
    if (GetSystemMetrics(SM_CMONITORS) < 2)
        return;
    HMODULE user32 = GetModuleHandleA("USER32.DLL");
    if (!user32)
        return;
    EnumDisplayMonitorsEntry enumDisplayMonitors = reinterpret_cast<EnumDisplayMonitorsEntry>(
        reinterpret_cast<void*>(GetProcAddress(user32, "EnumDisplayMonitors")));
    MonitorReading monitorReading = {&monitors, nullptr, {0, 0}, {}};
    monitorReading.getMonitorInfo =
        reinterpret_cast<GetMonitorInfoEntry>(reinterpret_cast<void*>(GetProcAddress(user32, "GetMonitorInfoA")));
    if (!enumDisplayMonitors || !monitorReading.getMonitorInfo)
        return;
    ClientToScreen(window, &monitorReading.clientOrigin);
    GetClientRect(window, &monitorReading.client);
    enumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitorReading));
}
