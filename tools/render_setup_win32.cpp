#include <windows.h>

#include "effect_window.h"
#include "render_setup.h"
#include "saver_host.h"
#include "settings_profile.h"

const char FRAME_NAME_FORMAT[] = "\\frame%04d.png";

namespace {

const char RENDER_CLASS[] = "TamblornRender";

HWND renderWindow;

}  // namespace

SaverSettings& RenderSettings()
{
    return saverSettings;
}

const FlameCanvas& RenderCanvas()
{
    return flameCanvas;
}

void LoadRenderSettings()
{
    LoadSaverSettings();
}

bool RenderTextToShiftJis(const char* text, char* out, size_t size)
{
    lstrcpynA(out, text, static_cast<int>(size));
    return true;
}

void SetUpRenderCanvas(int32_t clientWidth, int32_t clientHeight, const MonitorLayout* monitors, bool haveSeed,
                       uint32_t seed)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = SaverModuleInstance();
    windowClass.lpszClassName = RENDER_CLASS;
    RegisterClassA(&windowClass);
    renderWindow = CreateWindowExA(0, RENDER_CLASS, "tamblorn-render", WS_POPUP, 0, 0, clientWidth, clientHeight,
                                   nullptr, nullptr, SaverModuleInstance(), nullptr);
    SetUpEffectCanvas(renderWindow, clientWidth, clientHeight);
    if (monitors) {
        monitorLayout = *monitors;
        PlaceCanvasAtStart(flameCanvas, monitorLayout, clientWidth, clientHeight);
    }
    // The effect seeds from the clock, as the saver does.
    if (haveSeed)
        SeedNoise(flameCanvas.noise, seed);
}

// The saver's window jumps when it paints; the renderer's never paints.
void StepRenderCanvas()
{
    StepFlames(renderWindow);
    JumpCanvasWhenDue(flameCanvas, monitorLayout);
}

void FinishRenderSteps()
{
    GdiFlush();
}

void EndRender()
{
    DestroyWindow(renderWindow);
}

void MakeFramesFolder(const char* path)
{
    CreateDirectoryA(path, nullptr);
}
