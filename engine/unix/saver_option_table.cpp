#include <cstring>

#include "saver_options.h"

namespace {

const int32_t TICKS_HIGHEST = 1000000000;
const int32_t WINDOW_ID_HIGHEST = INT32_MAX;

}  // namespace

void MakeSaverOptionTable(SaverOptions* options, ProgramOption* table)
{
    SaverOptions& read = *options;
    SaverSettings& settings = read.settings;
    bool* given = read.given;
    const SettingsKey& sizeKey = settingsKeys[VALUE_FONT_SIZE];
    const ProgramOption all[SAVER_OPTIONS] = {
        {"text", OPTION_TEXT, nullptr, &read.text, &given[VALUE_TEXT], 0, 0, nullptr},
        {"size", OPTION_NUMBER, &read.size, nullptr, &given[VALUE_FONT_SIZE], sizeKey.lowest, sizeKey.highest, nullptr},
        {"bonfire", OPTION_SET, &settings.fireMode, nullptr, &given[VALUE_FIRE_MODE], FIRE_BONFIRE, FIRE_BONFIRE,
         nullptr},
        {"no-bonfire", OPTION_SET, &settings.fireMode, nullptr, &given[VALUE_FIRE_MODE], FIRE_TEXT, FIRE_TEXT, nullptr},
        {"strength", OPTION_NUMBER, &settings.flameLimit, nullptr, &given[VALUE_FLAME_LIMIT], FLAME_STRENGTHS[0],
         FLAME_STRENGTHS[FLAME_STRENGTH_COUNT - 1], nullptr},
        {"loop", OPTION_SET, &settings.loop, nullptr, &given[VALUE_LOOP], 1, 1, nullptr},
        {"no-loop", OPTION_SET, &settings.loop, nullptr, &given[VALUE_LOOP], 0, 0, nullptr},
        {"seed", OPTION_NUMBER, &read.seed, nullptr, &read.haveSeed, 0, INT32_MAX, nullptr},
        {"fit", OPTION_SET, &read.fit, nullptr, nullptr, 1, 1, nullptr},
        {"font", OPTION_TEXT, nullptr, &read.fontPattern, nullptr, 0, 0, nullptr},
        {"ticks", OPTION_NUMBER, &read.ticks, nullptr, nullptr, 1, TICKS_HIGHEST, nullptr},
        {"help", OPTION_SET, &read.askHelp, nullptr, nullptr, 1, 1, nullptr},
        {"version", OPTION_SET, &read.askVersion, nullptr, nullptr, 1, 1, nullptr},
        {"root", OPTION_SET, &read.root, nullptr, nullptr, 1, 1, nullptr},
        {"window-id", OPTION_NUMBER, &read.windowId, nullptr, &read.haveWindowId, 1, WINDOW_ID_HIGHEST, nullptr},
        {"display", OPTION_TEXT, nullptr, &read.displayName, nullptr, 0, 0, nullptr},
    };
    memcpy(table, all, sizeof all);
}

bool FinishSaverOptions(SaverOptions* options, bool (*toShiftJis)(const char* text, char* out, size_t size))
{
    SaverOptions& read = *options;
    SaverSettings& settings = read.settings;
    read.target = read.haveWindowId ? TARGET_WINDOW_ID : read.root ? TARGET_ROOT : TARGET_OWN_WINDOW;
    SetSettingsNumber(&settings, VALUE_FONT_SIZE, read.size);
    bool knownStrength = !read.given[VALUE_FLAME_LIMIT];
    for (int32_t strength : FLAME_STRENGTHS)
        knownStrength = knownStrength || settings.flameLimit == strength;
    return knownStrength && (!read.given[VALUE_TEXT] ||
                             (toShiftJis(read.text, settings.text, sizeof settings.text) && settings.text[0] != '\0'));
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
