#include "saver_options.h"

#include <cstdio>
#include <cstring>

#include "program_options.h"
#include "settings_file.h"
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

const int X11_ONLY_OPTIONS = 3;

// The X11 program's own options come last: the Wayland program reads the table without them.
bool ReadOptionsOfTable(int argc, char** argv, bool withoutX11Options, SaverOptions* options)
{
    SaverOptions& read = *options;
    read = SaverOptions();
    SaverSettings& settings = read.settings;
    bool* given = read.given;
    const char* textArgument = nullptr;
    int32_t size = 0;
    bool haveWindowId = false;
    int32_t targetRoot = 0;
    const SettingsKey& sizeKey = settingsKeys[VALUE_FONT_SIZE];
    const ProgramOption table[] = {
        {"text", OPTION_TEXT, nullptr, &textArgument, &given[VALUE_TEXT], 0, 0, nullptr},
        {"size", OPTION_NUMBER, &size, nullptr, &given[VALUE_FONT_SIZE], sizeKey.lowest, sizeKey.highest, nullptr},
        {"fit", OPTION_SET, &read.fit, nullptr, nullptr, 1, 1, nullptr},
        {"font", OPTION_TEXT, nullptr, &read.fontPattern, nullptr, 0, 0, nullptr},
        {"bonfire", OPTION_SET, &settings.fireMode, nullptr, &given[VALUE_FIRE_MODE], FIRE_BONFIRE, FIRE_BONFIRE,
         nullptr},
        {"no-bonfire", OPTION_SET, &settings.fireMode, nullptr, &given[VALUE_FIRE_MODE], FIRE_TEXT, FIRE_TEXT, nullptr},
        {"strength", OPTION_NUMBER, &settings.flameLimit, nullptr, &given[VALUE_FLAME_LIMIT], FLAME_STRENGTHS[0],
         FLAME_STRENGTHS[FLAME_STRENGTH_COUNT - 1], nullptr},
        {"loop", OPTION_SET, &settings.loop, nullptr, &given[VALUE_LOOP], 1, 1, nullptr},
        {"no-loop", OPTION_SET, &settings.loop, nullptr, &given[VALUE_LOOP], 0, 0, nullptr},
        {"seed", OPTION_NUMBER, &read.seed, nullptr, &read.haveSeed, 0, INT32_MAX, nullptr},
        {"ticks", OPTION_NUMBER, &read.ticks, nullptr, nullptr, 1, TICKS_HIGHEST, nullptr},
        {"help", OPTION_SET, &read.askHelp, nullptr, nullptr, 1, 1, nullptr},
        {"version", OPTION_SET, &read.askVersion, nullptr, nullptr, 1, 1, nullptr},
        {"root", OPTION_SET, &targetRoot, nullptr, nullptr, 1, 1, nullptr},
        {"window-id", OPTION_NUMBER, &read.windowId, nullptr, &haveWindowId, 1, WINDOW_ID_HIGHEST, nullptr},
        {"display", OPTION_TEXT, nullptr, &read.displayName, nullptr, 0, 0, nullptr},
    };
    const int count = sizeof table / sizeof table[0] - (withoutX11Options ? X11_ONLY_OPTIONS : 0);
    const char* wrong = nullptr;
    if (!ReadProgramOptions(argc, argv, table, count, &wrong))
        return false;
    read.target = haveWindowId ? TARGET_WINDOW_ID : targetRoot ? TARGET_ROOT : TARGET_OWN_WINDOW;
    SetSettingsNumber(&settings, VALUE_FONT_SIZE, size);
    bool knownStrength = !given[VALUE_FLAME_LIMIT];
    for (int32_t strength : FLAME_STRENGTHS)
        knownStrength = knownStrength || settings.flameLimit == strength;
    // A text of which Shift-JIS holds nothing would burn nothing.
    return knownStrength &&
           (!given[VALUE_TEXT] ||
            (LocaleTextToShiftJis(textArgument, settings.text, sizeof settings.text) && settings.text[0] != '\0'));
}

}  // namespace

bool ReadSaverOptions(int argc, char** argv, SaverOptions* options)
{
    return ReadOptionsOfTable(argc, argv, false, options);
}

bool ReadWaylandSaverOptions(int argc, char** argv, SaverOptions* options)
{
    return ReadOptionsOfTable(argc, argv, true, options);
}

void ApplySaverOptions(const SaverOptions& options, SaverSettings& settings)
{
    if (options.given[VALUE_TEXT])
        memcpy(settings.text, options.settings.text, sizeof settings.text);
    for (int value = VALUE_FONT_SIZE; value < SETTINGS_VALUES; ++value)
        if (options.given[value])
            SetSettingsNumber(&settings, static_cast<SettingsValue>(value),
                              SettingsNumber(options.settings, static_cast<SettingsValue>(value)));
}

bool StartSaverRun(int argc, char** argv, const char* program, bool withoutX11Options, SaverOptions* options,
                   SaverSettings& settings, int* exitCode)
{
    void (*writeUsage)(FILE*) = withoutX11Options ? WriteWaylandSaverUsage : WriteSaverUsage;
    if (!ReadOptionsOfTable(argc, argv, withoutX11Options, options)) {
        writeUsage(stderr);
        *exitCode = OPTIONS_EXIT_WRONG;
        return false;
    }
    if (options->askHelp || options->askVersion) {
        if (options->askHelp)
            writeUsage(stdout);
        else
            printf("%s %s\n", program, TAMBLORN_VERSION);
        *exitCode = 0;
        return false;
    }
    if (!LoadNativeSettings(settings))
        fprintf(stderr, "%s: the settings file is not a regular file: the default settings are used\n", program);
    ApplySaverOptions(*options, settings);
    return true;
}
