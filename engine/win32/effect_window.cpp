#include "effect_window.h"

#include "canvas_setup.h"
#include "canvas_surface.h"
#include "cell_pass_system.h"
#include "monitor_layout.h"
#include "saver_settings.h"
#include "settings_profile.h"

namespace {

void OnEffectCreate(HWND window)
{
    LoadSaverSettings();
    RECT client;
    GetClientRect(window, &client);
    monitorLayout = MonitorLayout();
    if (!SaverIsPreview())
        ReadMonitorLayout(window);
    SetUpEffectCanvas(window, client.right - client.left, client.bottom - client.top);
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
    ReleaseLogsPicture();
    ReleaseCanvasSurface();
    FreeFlameBuffers();
}

}  // namespace

void SetUpEffectCanvas(HWND window, int32_t clientWidth, int32_t clientHeight)
{
    FlameCanvas& canvas = flameCanvas;
    ReleaseLogsPicture();
    if (saverSettings.fireMode == FIRE_BONFIRE)
        canvasSurface.logsPicture = LoadLogsPicture();
    canvas.clientWidth = clientWidth;
    canvas.clientHeight = clientHeight;
    canvas.systemKeepsSse = SystemKeepsSseState();
    if (saverSettings.fireMode == FIRE_TEXT)
        SetUpTextCanvas(window);
    else
        SetUpBonfireCanvas(window);
}

void StepFlames(HWND window)
{
    StepFlameCanvas();
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
