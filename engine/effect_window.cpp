#include "effect_window.h"

#include "canvas_setup.h"
#include "canvas_surface.h"
#include "monitor_layout.h"
#include "saver_settings.h"

namespace {

void OnEffectCreate(HWND window)
{
    LoadSaverSettings();
    FlameCanvas& canvas = flameCanvas;
    if (canvas.logsPicture)
        DeleteObject(canvas.logsPicture);
    canvas.logsPicture = nullptr;
    if (saverSettings.fireMode == FIRE_BONFIRE)
        canvas.logsPicture = LoadLogsPicture();
    RECT client;
    GetClientRect(window, &client);
    canvas.clientWidth = client.right - client.left;
    canvas.clientHeight = client.bottom - client.top;
    monitorLayout = MonitorLayout();
    if (!SaverIsPreview())
        ReadMonitorLayout(window);
    if (saverSettings.fireMode == FIRE_TEXT)
        SetUpTextCanvas(window);
    else
        SetUpBonfireCanvas(window);
    SetTimer(window, EFFECT_TIMER_ID, EFFECT_TICK_MS, nullptr);
}

void OnEffectTimer(HWND window)
{
    StepFlames(window);
}

// About every ten seconds the burning image moves somewhere else, and the
// old place is erased with the whole client area.
void JumpAndErase(HDC paintContext)
{
    JumpCanvas(flameCanvas.clientWidth, flameCanvas.clientHeight);
    FillBox(paintContext, 0, 0, flameCanvas.clientWidth, flameCanvas.clientHeight, flameCanvas.backgroundColour);
}

void PaintEffect(HDC paintContext)
{
    const FlameCanvas& canvas = flameCanvas;
    if (canvas.frameCount > JUMP_AFTER_FRAMES)
        JumpAndErase(paintContext);
    if (canvas.canvasContext)
        StretchBlt(paintContext, canvas.originX, canvas.originY, canvas.width, canvas.height, canvas.canvasContext, 0,
                   0, canvas.width, canvas.height, SRCCOPY);
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
    FlameCanvas& canvas = flameCanvas;
    if (canvas.logsPicture)
        DeleteObject(canvas.logsPicture);
    canvas.logsPicture = nullptr;
    ReleaseCanvasSurface();
    FreeFlameBuffers();
}

}  // namespace

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
