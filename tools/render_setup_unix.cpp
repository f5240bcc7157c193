#include <sys/stat.h>

#include "flame_canvas.h"
#include "native_canvas.h"
#include "render_setup.h"
#include "saver_settings.h"
#include "settings_file.h"
#include "text_encoding.h"

const char FRAME_NAME_FORMAT[] = "/frame%04d.png";

namespace {

const mode_t FOLDER_MODE = 0755;

}  // namespace

void LoadRenderSettings()
{
    LoadNativeSettings();
}

void CopyRenderText(const char* text)
{
    LocaleTextToShiftJis(text, saverSettings.text, SETTINGS_TEXT_BYTES);
}

void SetUpRenderCanvas(int32_t clientWidth, int32_t clientHeight)
{
    monitorLayout = MonitorLayout();
    SetUpSaverCanvas(nativeCanvasPlatform, clientWidth, clientHeight);
}

void StepRenderCanvas()
{
    StepFlameCanvas();
}

void FinishRenderSteps() {}

void EndRender()
{
    ReleaseSaverCanvas(nativeCanvasPlatform);
}

void MakeFramesFolder(const char* path)
{
    mkdir(path, FOLDER_MODE);
}
