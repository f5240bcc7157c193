#include "saver_options.h"

#include <cstdio>
#include <cstring>

#include "program_options.h"
#include "text_encoding.h"

namespace {

void WriteUsage(FILE* out, const char* form)
{
    char strengths[STRENGTHS_TEXT_BYTES];
    WriteStrengths(strengths, sizeof strengths, "%d", "|");
    const SettingsKey& size = settingsKeys[VALUE_FONT_SIZE];
    fprintf(out, form, size.lowest, size.highest, strengths);
}

}  // namespace

void WriteSaverUsage(FILE* out)
{
    WriteUsage(out, "usage: tamblorn [-root | -window-id ID] [-display NAME] [-text TEXT] [-size %d..%d]\n"
                    "                [-fit] [-font PATTERN] [-bonfire | -no-bonfire] [-strength %s]\n"
                    "                [-loop | -no-loop] [-seed N] [-ticks N] [-help] [-version]\n");
}

void WriteWaylandSaverUsage(FILE* out)
{
    WriteUsage(out, "usage: tamblorn-wayland [-text TEXT] [-size %d..%d] [-fit] [-font PATTERN]\n"
                    "                        [-bonfire | -no-bonfire] [-strength %s] [-loop | -no-loop]\n"
                    "                        [-seed N] [-ticks N] [-help] [-version]\n");
}

namespace {

const int32_t TICKS_HIGHEST = 1000000000;
const int32_t WINDOW_ID_HIGHEST = INT32_MAX;

SaverOptions read;
const char* textArgument;
bool haveWindowId;
int32_t targetRoot;

// The X11 program's own options come last: the Wayland program reads the table without them.
const ProgramOption SAVER_OPTIONS[] = {
    {"text", OPTION_TEXT, nullptr, &textArgument, &read.haveText, 0, 0, nullptr},
    {"size", OPTION_NUMBER, &read.size, nullptr, &read.haveSize, settingsKeys[VALUE_FONT_SIZE].lowest,
     settingsKeys[VALUE_FONT_SIZE].highest, nullptr},
    {"fit", OPTION_SET, &read.fit, nullptr, nullptr, 1, 1, nullptr},
    {"font", OPTION_TEXT, nullptr, &read.fontPattern, nullptr, 0, 0, nullptr},
    {"bonfire", OPTION_SET, &read.fireMode, nullptr, &read.haveFireMode, FIRE_BONFIRE, FIRE_BONFIRE, nullptr},
    {"no-bonfire", OPTION_SET, &read.fireMode, nullptr, &read.haveFireMode, FIRE_TEXT, FIRE_TEXT, nullptr},
    {"strength", OPTION_NUMBER, &read.strength, nullptr, &read.haveStrength, FLAME_STRENGTHS[0],
     FLAME_STRENGTHS[FLAME_STRENGTH_COUNT - 1], nullptr},
    {"loop", OPTION_SET, &read.loop, nullptr, &read.haveLoop, 1, 1, nullptr},
    {"no-loop", OPTION_SET, &read.loop, nullptr, &read.haveLoop, 0, 0, nullptr},
    {"seed", OPTION_NUMBER, &read.seed, nullptr, &read.haveSeed, 0, INT32_MAX, nullptr},
    {"ticks", OPTION_NUMBER, &read.ticks, nullptr, nullptr, 1, TICKS_HIGHEST, nullptr},
    {"help", OPTION_SET, &read.askHelp, nullptr, nullptr, 1, 1, nullptr},
    {"version", OPTION_SET, &read.askVersion, nullptr, nullptr, 1, 1, nullptr},
    {"root", OPTION_SET, &targetRoot, nullptr, nullptr, 1, 1, nullptr},
    {"window-id", OPTION_NUMBER, &read.windowId, nullptr, &haveWindowId, 1, WINDOW_ID_HIGHEST, nullptr},
    {"display", OPTION_TEXT, nullptr, &read.displayName, nullptr, 0, 0, nullptr},
};
const int ALL_OPTIONS = sizeof SAVER_OPTIONS / sizeof SAVER_OPTIONS[0];
const int X11_ONLY_OPTIONS = 3;

bool ReadOptionsOfTable(int argc, char** argv, int count, SaverOptions* options)
{
    read = SaverOptions();
    textArgument = nullptr;
    haveWindowId = false;
    targetRoot = 0;
    const char* wrong = nullptr;
    if (!ReadProgramOptions(argc, argv, SAVER_OPTIONS, count, &wrong))
        return false;
    read.target = haveWindowId ? TARGET_WINDOW_ID : targetRoot ? TARGET_ROOT : TARGET_OWN_WINDOW;
    bool knownStrength = !read.haveStrength;
    for (int32_t strength : FLAME_STRENGTHS)
        knownStrength = knownStrength || read.strength == strength;
    *options = read;
    // A text of which Shift-JIS holds nothing would burn nothing.
    return knownStrength && (!read.haveText || (LocaleTextToShiftJis(textArgument, options->text, sizeof options->text) &&
                                                options->text[0] != '\0'));
}

}  // namespace

bool ReadSaverOptions(int argc, char** argv, SaverOptions* options)
{
    return ReadOptionsOfTable(argc, argv, ALL_OPTIONS, options);
}

bool ReadWaylandSaverOptions(int argc, char** argv, SaverOptions* options)
{
    return ReadOptionsOfTable(argc, argv, ALL_OPTIONS - X11_ONLY_OPTIONS, options);
}

void ApplySaverOptions(const SaverOptions& options)
{
    SaverSettings& settings = saverSettings;
    if (options.haveText)
        memcpy(settings.text, options.text, sizeof settings.text);
    if (options.haveSize)
        settings.fontSize = static_cast<int8_t>(options.size);
    if (options.haveFireMode)
        settings.fireMode = options.fireMode;
    if (options.haveStrength)
        settings.flameLimit = options.strength;
    if (options.haveLoop)
        settings.loop = options.loop;
}
