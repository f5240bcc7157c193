// Renders the flames off screen through the saver's own set-up and step, for
// pictures and exact regression checks, on Windows and natively (the
// platform's set-up is in render_setup_*.cpp):
//   tamblorn-render [--mode text|bonfire] [--text T] [--size N] [--limit N]
//                   [--loop] [--seed N] [--ticks N] [--client WxH]
//                   [--png FILE] [--frames DIR] [--raw FILE]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "flame_canvas.h"
#include "render_setup.h"
#include "saver_settings.h"

namespace {

const char RAW_MAGIC[] = "TBFL";
const uint32_t RAW_VERSION = 1;
const int DEFAULT_TICKS = 100;
const int DEFAULT_CLIENT_WIDTH = 1024;
const int DEFAULT_CLIENT_HEIGHT = 768;
const int RGB_CHANNELS = 3;

struct RenderOptions {
    int fireMode;
    bool haveText;
    std::string text;
    bool haveSize;
    int size;
    bool haveLimit;
    int limit;
    bool loop;
    bool haveSeed;
    uint32_t seed;
    int ticks;
    int clientWidth;
    int clientHeight;
    std::string png;
    std::string frames;
    std::string raw;
};

int Usage()
{
    fprintf(stderr,
            "usage: tamblorn-render [--mode text|bonfire] [--text T] [--size N] [--limit N] [--loop]\n"
            "                       [--seed N] [--ticks N] [--client WxH] [--png FILE] [--frames DIR] [--raw FILE]\n");
    return 2;
}

bool ReadOptions(int argc, char** argv, RenderOptions* options)
{
    *options = RenderOptions();
    options->ticks = DEFAULT_TICKS;
    options->clientWidth = DEFAULT_CLIENT_WIDTH;
    options->clientHeight = DEFAULT_CLIENT_HEIGHT;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--loop") {
            options->loop = true;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const char* value = argv[++i];
        if (name == "--mode") {
            if (strcmp(value, "text") == 0)
                options->fireMode = FIRE_TEXT;
            else if (strcmp(value, "bonfire") == 0)
                options->fireMode = FIRE_BONFIRE;
            else
                return false;
        } else if (name == "--text") {
            options->haveText = true;
            options->text = value;
        } else if (name == "--size") {
            options->haveSize = true;
            options->size = atoi(value);
        } else if (name == "--limit") {
            options->haveLimit = true;
            options->limit = atoi(value);
        } else if (name == "--seed") {
            options->haveSeed = true;
            options->seed = static_cast<uint32_t>(strtoul(value, nullptr, 10));
        } else if (name == "--ticks") {
            options->ticks = atoi(value);
        } else if (name == "--client") {
            if (sscanf(value, "%dx%d", &options->clientWidth, &options->clientHeight) != 2)
                return false;
        } else if (name == "--png") {
            options->png = value;
        } else if (name == "--frames") {
            options->frames = value;
        } else if (name == "--raw") {
            options->raw = value;
        } else {
            return false;
        }
    }
    return true;
}

void ApplyOptions(const RenderOptions& options)
{
    LoadRenderSettings();
    saverSettings.fireMode = options.fireMode;
    if (options.haveText)
        CopyRenderText(options.text.c_str());
    if (options.haveSize)
        saverSettings.fontSize = static_cast<int8_t>(options.size & 0xFF);
    if (options.haveLimit)
        saverSettings.flameLimit = options.limit;
    saverSettings.loop = options.loop ? 1 : 0;
}

bool WritePng(const std::string& path)
{
    const FlameCanvas& canvas = flameCanvas;
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
    const FlameCanvas& canvas = flameCanvas;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    fwrite(RAW_MAGIC, 1, 4, file);
    PutU32(file, RAW_VERSION);
    PutU32(file, static_cast<uint32_t>(canvas.width));
    PutU32(file, static_cast<uint32_t>(canvas.height));
    PutU32(file, ticks);
    PutU32(file, static_cast<uint32_t>(canvas.level));
    int cells = CanvasHasCells() ? canvas.cellCount : 0;
    if (cells > 0) {
        fwrite(canvas.fuel, 1, cells, file);
        fwrite(canvas.heat, 1, cells, file);
        for (int i = 0; i < cells; ++i)
            PutU32(file, canvas.pixels[i] & 0x00FFFFFF);
    }
    return fclose(file) == 0;
}

int CountFuel()
{
    int fuel = 0;
    if (CanvasHasCells())
        for (int i = 0; i < flameCanvas.cellCount; ++i)
            fuel += flameCanvas.fuel[i] != 0;
    return fuel;
}

}  // namespace

int main(int argc, char** argv)
{
    RenderOptions options;
    if (!ReadOptions(argc, argv, &options))
        return Usage();
    ApplyOptions(options);
    SetUpRenderCanvas(options.clientWidth, options.clientHeight);
    if (options.haveSeed)
        SeedNoise(options.seed);

    bool written = true;
    if (!options.frames.empty())
        MakeFramesFolder(options.frames.c_str());
    for (int tick = 1; tick <= options.ticks; ++tick) {
        StepRenderCanvas();
        if (!options.frames.empty()) {
            FinishRenderSteps();
            char name[32];
            snprintf(name, sizeof name, FRAME_NAME_FORMAT, tick);
            written = WritePng(options.frames + name) && written;
        }
    }
    FinishRenderSteps();
    if (!options.png.empty())
        written = WritePng(options.png) && written;
    if (!options.raw.empty())
        written = WriteRaw(options.raw, static_cast<uint32_t>(options.ticks)) && written;

    printf("canvas %dx%d fuel %d origin %d,%d level %d\n", flameCanvas.width, flameCanvas.height, CountFuel(),
           flameCanvas.originX, flameCanvas.originY, flameCanvas.level);
    fflush(stdout);
    EndRender();
    return written ? 0 : 1;
}
