// The platform's half of tamblorn-render: settings, the canvas set-up and
// the step, on Windows through the engine's effect set-up, natively through
// the FreeType text and the built-in logs picture.
#ifndef TAMBLORN_RENDER_SETUP_H
#define TAMBLORN_RENDER_SETUP_H

#include <cstddef>
#include <cstdint>

#include "flame_canvas.h"
#include "saver_settings.h"

extern const char FRAME_NAME_FORMAT[];

// The records the renderer works on: on Windows the effect's own.
SaverSettings& RenderSettings();
const FlameCanvas& RenderCanvas();

void LoadRenderSettings();
// The --text option's bytes as the settings' Shift-JIS, as the platform reads them.
bool RenderTextToShiftJis(const char* text, char* out, size_t size);
// With monitors, the canvas starts and jumps on them instead of the platform's; with a seed, the noise starts
// from it instead of the clock.
void SetUpRenderCanvas(int32_t clientWidth, int32_t clientHeight, const MonitorLayout* monitors, bool haveSeed,
                       uint32_t seed);
void StepRenderCanvas();
// Called after the last step, before the canvas's pixels are read.
void FinishRenderSteps();
void EndRender();
void MakeFramesFolder(const char* path);

#endif
