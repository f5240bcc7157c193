// Renders the flames off screen through the saver's own set-up and step, for
// pictures and exact regression checks, on Windows and natively (the
// platform's set-up is in render_setup_*.cpp):
//   tamblorn-render [the settings' options of the native programs] [--seed N]
//                   [--ticks N] [--client WxH] [--monitors L,T,R,B;...] [--png FILE] [--frames DIR]
//                   [--raw FILE]
//   tamblorn-render --show-settings    prints the settings file's record
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "flame_canvas.h"
#include "program_options.h"
#include "render_setup.h"
#include "saver_canvas.h"
#include "saver_options.h"
#include "saver_settings.h"

namespace {

const char RAW_MAGIC[] = "TBFL";
const uint32_t RAW_VERSION = 1;
const int DEFAULT_TICKS = 100;
const int DEFAULT_CLIENT_WIDTH = 1024;
const int DEFAULT_CLIENT_HEIGHT = 768;
const int RGB_CHANNELS = 3;

const int32_t LARGEST_COUNT = 1000000000;
const int32_t LARGEST_SIDE = 65535;

// The settings over the settings file and the seed as the native programs take them, and the renderer's own.
struct RenderOptions {
    SaverOptions saver;
    int32_t ticks;
    int32_t client[2];
    const char* monitors;
    const char* png;
    const char* frames;
    const char* raw;
    int32_t showSettings;
};

const int RENDER_OWN_OPTIONS = 7;

bool ReadRenderOptions(int argc, char** argv, RenderOptions* options)
{
    RenderOptions& read = *options;
    ProgramOption table[SAVER_OPTIONS + RENDER_OWN_OPTIONS];
    MakeSaverOptionTable(&read.saver, table);
    const ProgramOption own[RENDER_OWN_OPTIONS] = {
        {"ticks", OPTION_NUMBER, &read.ticks, nullptr, nullptr, 0, LARGEST_COUNT, nullptr},
        {"client", OPTION_PAIR, read.client, nullptr, nullptr, 0, LARGEST_SIDE, nullptr},
        {"monitors", OPTION_TEXT, nullptr, &read.monitors, nullptr, 0, 0, nullptr},
        {"png", OPTION_TEXT, nullptr, &read.png, nullptr, 0, 0, nullptr},
        {"frames", OPTION_TEXT, nullptr, &read.frames, nullptr, 0, 0, nullptr},
        {"raw", OPTION_TEXT, nullptr, &read.raw, nullptr, 0, 0, nullptr},
        {"show-settings", OPTION_SET, &read.showSettings, nullptr, nullptr, 1, 1, nullptr},
    };
    std::copy(own, own + RENDER_OWN_OPTIONS, table + SETTINGS_OPTIONS);
    const char* wrong = nullptr;
    return ReadProgramOptions(argc, argv, table, SETTINGS_OPTIONS + RENDER_OWN_OPTIONS, &wrong) &&
           FinishSaverOptions(&read.saver, RenderTextToShiftJis);
}

int Usage()
{
    char strengths[STRENGTHS_TEXT_BYTES];
    WriteStrengths(strengths, sizeof strengths, "%d", "|");
    const SettingsKey& size = settingsKeys[VALUE_FONT_SIZE];
    fprintf(stderr,
            "usage: tamblorn-render [--text T] [--size %d..%d] [--bonfire | --no-bonfire] [--strength %s]\n"
            "                       [--loop | --no-loop] [--seed N] [--ticks N] [--client WxH]\n"
            "                       [--monitors L,T,R,B;...] [--png FILE] [--frames DIR] [--raw FILE]\n"
            "       tamblorn-render --show-settings\n",
            size.lowest, size.highest, strengths);
    return 2;
}

bool WritePng(const std::string& path)
{
    const FlameCanvas& canvas = RenderCanvas();
    if (!canvas.pixels || canvas.width <= 0 || canvas.height <= 0)
        return false;
    std::vector<unsigned char> rgb(static_cast<size_t>(canvas.cellCount) * RGB_CHANNELS);
    for (int i = 0; i < canvas.cellCount; ++i) {
        uint32_t pixel = canvas.pixels[i];
        rgb[i * RGB_CHANNELS] = static_cast<unsigned char>(pixel >> 16);
        rgb[i * RGB_CHANNELS + 1] = static_cast<unsigned char>(pixel >> 8);
        rgb[i * RGB_CHANNELS + 2] = static_cast<unsigned char>(pixel);
    }
    return stbi_write_png(path.c_str(), canvas.width, canvas.height, RGB_CHANNELS, rgb.data(),
                          canvas.width * RGB_CHANNELS) != 0;
}

void PutU32(FILE* file, uint32_t value)
{
    unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                              static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    fwrite(bytes, 1, sizeof bytes, file);
}

bool WriteRaw(const std::string& path, uint32_t ticks)
{
    const FlameCanvas& canvas = RenderCanvas();
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    fwrite(RAW_MAGIC, 1, 4, file);
    PutU32(file, RAW_VERSION);
    PutU32(file, static_cast<uint32_t>(canvas.width));
    PutU32(file, static_cast<uint32_t>(canvas.height));
    PutU32(file, ticks);
    PutU32(file, static_cast<uint32_t>(canvas.level));
    int cells = CanvasHasCells(canvas) ? canvas.cellCount : 0;
    if (cells > 0) {
        fwrite(canvas.fuel, 1, cells, file);
        fwrite(canvas.heat, 1, cells, file);
        for (int i = 0; i < cells; ++i)
            PutU32(file, canvas.pixels[i] & 0x00FFFFFF);
    }
    return fclose(file) == 0;
}

// The monitors as the client's boxes, the primary first: "left,top,right,bottom" joined by ';'.
bool ReadMonitors(const char* text, int32_t clientWidth, int32_t clientHeight, MonitorLayout& monitors)
{
    for (const char* at = text; *at != '\0';) {
        MonitorBox box;
        int used = 0;
        if (sscanf(at, "%d,%d,%d,%d%n", &box.left, &box.top, &box.right, &box.bottom, &used) != 4 ||
            !AddMonitorBox(monitors, box, monitors.count == 0, clientWidth, clientHeight))
            return false;
        at += used;
        if (*at == ';')
            ++at;
        else if (*at != '\0')
            return false;
    }
    return true;
}

// The record the settings file gives, the text as hexadecimal Shift-JIS bytes.
int ShowSettings()
{
    LoadRenderSettings();
    const SaverSettings& settings = RenderSettings();
    printf("text ");
    for (const char* at = settings.text; *at != '\0'; ++at)
        printf("%02x", static_cast<unsigned char>(*at));
    printf(" size %d limit %d loop %d fire %d\n", settings.fontSize, settings.flameLimit, settings.loop,
           settings.fireMode);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    RenderOptions options = {SaverOptions(), DEFAULT_TICKS, {DEFAULT_CLIENT_WIDTH, DEFAULT_CLIENT_HEIGHT}, "", "", "", "",
                             0};
    MonitorLayout monitors = {};
    if (!ReadRenderOptions(argc, argv, &options) ||
        !ReadMonitors(options.monitors, options.client[0], options.client[1], monitors))
        return Usage();
    if (options.showSettings)
        return ShowSettings();
    LoadRenderSettings();
    ApplySaverOptions(options.saver, RenderSettings());
    SetUpRenderCanvas(options.client[0], options.client[1], options.monitors[0] != '\0' ? &monitors : nullptr,
                      options.saver.haveSeed, static_cast<uint32_t>(options.saver.seed));

    bool written = true;
    const std::string frames = options.frames;
    if (!frames.empty())
        MakeFramesFolder(frames.c_str());
    for (int tick = 1; tick <= options.ticks; ++tick) {
        StepRenderCanvas();
        if (!frames.empty()) {
            FinishRenderSteps();
            char name[32];
            snprintf(name, sizeof name, FRAME_NAME_FORMAT, tick);
            written = WritePng(frames + name) && written;
        }
    }
    FinishRenderSteps();
    if (options.png[0] != '\0')
        written = WritePng(options.png) && written;
    if (options.raw[0] != '\0')
        written = WriteRaw(options.raw, static_cast<uint32_t>(options.ticks)) && written;

    const FlameCanvas& canvas = RenderCanvas();
    printf("canvas %dx%d fuel %d origin %d,%d level %d\n", canvas.width, canvas.height, CountFuelPoints(canvas), canvas.originX,
           canvas.originY, canvas.level);
    fflush(stdout);
    EndRender();
    return written ? 0 : 1;
}
