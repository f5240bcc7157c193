#include <sys/stat.h>

#include "native_canvas.h"
#include "render_setup.h"
#include "settings_file.h"
#include "text_encoding.h"

const char FRAME_NAME_FORMAT[] = "/frame%04d.png";

namespace {

const mode_t FOLDER_MODE = 0755;

// The renderer's records: it renders one canvas on one monitor.
struct NativeRender {
    SaverSettings settings;
    FlameCanvas canvas;
    MonitorLayout monitors;
    NativeCanvas native;
};

NativeRender nativeRender = {STARTING_SETTINGS, {}, {}, {}};

}  // namespace

SaverSettings& RenderSettings()
{
    return nativeRender.settings;
}

const FlameCanvas& RenderCanvas()
{
    return nativeRender.canvas;
}

void LoadRenderSettings()
{
    LoadNativeSettings(nativeRender.settings);
}

bool RenderTextToShiftJis(const char* text, char* out, size_t size)
{
    return LocaleTextToShiftJis(text, out, size);
}

void SetUpRenderCanvas(int32_t clientWidth, int32_t clientHeight, const MonitorLayout* monitors, bool haveSeed,
                       uint32_t seed)
{
    NativeRender& render = nativeRender;
    if (monitors)
        render.monitors = *monitors;
    render.native.fixedSeed = haveSeed;
    render.native.seed = seed;
    SetUpSaverCanvas(render.canvas, render.settings, render.monitors, NativeCanvasPlatform(&render.native),
                     clientWidth, clientHeight);
}

void StepRenderCanvas()
{
    TickSaverCanvas(nativeRender.canvas, nativeRender.settings, nativeRender.monitors);
}

void FinishRenderSteps() {}

void EndRender()
{
    ReleaseSaverCanvas(nativeRender.canvas, NativeCanvasPlatform(&nativeRender.native));
}

void MakeFramesFolder(const char* path)
{
    mkdir(path, FOLDER_MODE);
}
