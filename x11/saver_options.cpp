#include "saver_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "text_encoding.h"

const char SAVER_USAGE[] =
    "usage: tamblorn [-root | -window-id ID] [-display NAME] [-text TEXT] [-size 1..127]\n"
    "                [-bonfire | -no-bonfire] [-strength 6|8|12] [-loop | -no-loop]\n"
    "                [-seed N] [-ticks N] [-help] [-version]\n";

namespace {

const int32_t SIZE_LOWEST = 1;
const int32_t SIZE_HIGHEST = 127;
const int32_t STRENGTHS[] = {6, 8, 12};
const int32_t TICKS_HIGHEST = 1000000000;  // also the widest number read
const int DECIMAL = 10;
const int HEXADECIMAL = 16;

// Decimal, or hexadecimal after 0x, as the manual says: a leading 0 is no octal.
int NumberBase(const char* text)
{
    return text[0] == '0' && (text[1] == 'x' || text[1] == 'X') ? HEXADECIMAL : DECIMAL;
}

bool ReadNumber(const char* text, long lowest, long highest, long* value)
{
    char* end = nullptr;
    errno = 0;
    long number = strtol(text, &end, NumberBase(text));
    if (errno != 0 || end == text || *end != '\0' || number < lowest || number > highest)
        return false;
    *value = number;
    return true;
}

bool ReadWindowId(const char* text, unsigned long* id)
{
    char* end = nullptr;
    errno = 0;
    unsigned long number = strtoul(text, &end, NumberBase(text));
    if (errno != 0 || end == text || *end != '\0' || text[0] == '-' || number == 0)
        return false;
    *id = number;
    return true;
}

bool IsStrength(long value)
{
    for (int32_t strength : STRENGTHS)
        if (value == strength)
            return true;
    return false;
}

// Reads the option that takes a value; false when it is unknown or wrong.
bool ReadValueOption(const char* name, const char* value, SaverOptions* options)
{
    long number = 0;
    if (strcmp(name, "window-id") == 0) {
        options->target = TARGET_WINDOW_ID;
        return ReadWindowId(value, &options->windowId);
    }
    if (strcmp(name, "display") == 0) {
        options->displayName = value;
        return true;
    }
    if (strcmp(name, "text") == 0) {
        options->haveText = true;
        // A text of which Shift-JIS holds nothing would burn nothing.
        return LocaleTextToShiftJis(value, options->text, sizeof options->text) && options->text[0] != '\0';
    }
    if (strcmp(name, "size") == 0) {
        options->haveSize = ReadNumber(value, SIZE_LOWEST, SIZE_HIGHEST, &number);
        options->size = static_cast<int32_t>(number);
        return options->haveSize;
    }
    if (strcmp(name, "strength") == 0) {
        options->haveStrength = ReadNumber(value, 0, TICKS_HIGHEST, &number) && IsStrength(number);
        options->strength = static_cast<int32_t>(number);
        return options->haveStrength;
    }
    if (strcmp(name, "seed") == 0) {
        options->haveSeed = ReadNumber(value, 0, INT32_MAX, &number);
        options->seed = static_cast<uint32_t>(number);
        return options->haveSeed;
    }
    if (strcmp(name, "ticks") == 0) {
        bool good = ReadNumber(value, 1, TICKS_HIGHEST, &number);
        options->ticks = static_cast<int32_t>(number);
        return good;
    }
    return false;
}

bool ReadSwitch(const char* name, SaverOptions* options)
{
    struct Switch {
        const char* name;
        bool SaverOptions::*have;
        int32_t SaverOptions::*field;
        int32_t value;
    };
    static const Switch switches[] = {
        {"bonfire", &SaverOptions::haveFireMode, &SaverOptions::fireMode, FIRE_BONFIRE},
        {"no-bonfire", &SaverOptions::haveFireMode, &SaverOptions::fireMode, FIRE_TEXT},
        {"loop", &SaverOptions::haveLoop, &SaverOptions::loop, 1},
        {"no-loop", &SaverOptions::haveLoop, &SaverOptions::loop, 0},
    };
    if (strcmp(name, "root") == 0) {
        options->target = TARGET_ROOT;
        return true;
    }
    if (strcmp(name, "help") == 0 || strcmp(name, "version") == 0) {
        options->askHelp = options->askHelp || name[0] == 'h';
        options->askVersion = options->askVersion || name[0] == 'v';
        return true;
    }
    for (const Switch& entry : switches) {
        if (strcmp(name, entry.name) == 0) {
            options->*entry.have = true;
            options->*entry.field = entry.value;
            return true;
        }
    }
    return false;
}

}  // namespace

bool ReadSaverOptions(int argc, char** argv, SaverOptions* options)
{
    *options = SaverOptions();
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        if (name[0] != '-')
            return false;
        name += name[1] == '-' ? 2 : 1;
        if (ReadSwitch(name, options))
            continue;
        if (i + 1 >= argc || !ReadValueOption(name, argv[i + 1], options))
            return false;
        ++i;
    }
    return true;
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
