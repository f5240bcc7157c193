#include "effect_window.h"

#include "canvas_surface.h"
#include "cell_pass_system.h"
#include "monitor_layout.h"
#include "saver_settings.h"
#include "settings_profile.h"

FlameCanvas flameCanvas = {};
MonitorLayout monitorLayout = {};
CanvasSurface canvasSurface = {};

namespace {

void OnEffectCreate(HWND window)
{
    LoadSaverSettings();
    RECT client;
    GetClientRect(window, &client);
    monitorLayout = MonitorLayout();
    if (!SaverIsPreview())
        ReadMonitorLayout(monitorLayout, window);
    SetUpEffectCanvas(window, client.right - client.left, client.bottom - client.top);
    SetTimer(window, EFFECT_TIMER_ID, EFFECT_TICK_MS, nullptr);
}

void OnEffectTimer(HWND window)
{
    StepFlames(window);
}

// About every ten seconds the burning image moves somewhere else, and the
// old place is erased with the whole client area.
void PaintEffect(HDC paintContext)
{
    const FlameCanvas& canvas = flameCanvas;
    if (JumpCanvasWhenDue(flameCanvas, monitorLayout))
        FillBox(paintContext, 0, 0, canvas.clientWidth, canvas.clientHeight, canvas.backgroundColour);
    if (canvasSurface.canvasContext)
        StretchBlt(paintContext, canvas.originX, canvas.originY, canvas.width, canvas.height,
                   canvasSurface.canvasContext, 0, 0, canvas.width, canvas.height, SRCCOPY);
}

void OnEffectPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC paintContext = BeginPaint(window, &paint);
    PaintEffect(paintContext);
    EndPaint(window, &paint);
}

void OnEffectDestroy()
{
    ReleaseSaverCanvas(flameCanvas, gdiCanvasPlatform);
}

}  // namespace

void SetUpEffectCanvas(HWND window, int32_t clientWidth, int32_t clientHeight)
{
    canvasSurface.window = window;
    flameCanvas.systemKeepsSse = SystemKeepsSseState();
    SetUpSaverCanvas(flameCanvas, saverSettings, monitorLayout, gdiCanvasPlatform, clientWidth, clientHeight);
}

void StepFlames(HWND window)
{
    StepFlameCanvas(flameCanvas, saverSettings);
    RepaintEffectWindow(window);
}

LRESULT EffectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnEffectCreate(window);
        break;
    case WM_DESTROY:
        OnEffectDestroy();
        break;
    case WM_PAINT:
        OnEffectPaint(window);
        break;
    case WM_TIMER:
        OnEffectTimer(window);
        break;
    }
    return DefaultSaverProc(window, message, wParam, lParam);
}
