// Prints the monitors as this Windows system reports them, one line each:
//   monitors <SM_CMONITORS>
//   virtual <x> <y> <width> <height>
//   monitor <left> <top> <right> <bottom> <1 if primary, else 0>
#include <windows.h>

#include <cstdio>

namespace {

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info))
        printf("monitor %ld %ld %ld %ld %d\n", info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
               info.rcMonitor.bottom, (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    return TRUE;
}

}  // namespace

int main()
{
    printf("monitors %d\n", GetSystemMetrics(SM_CMONITORS));
    printf("virtual %d %d %d %d\n", GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
           GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
    return 0;
}
