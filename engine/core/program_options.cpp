#include "program_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "saver_settings.h"

namespace {

const int DECIMAL = 10;
const int HEXADECIMAL = 16;
const char CHOICE_SEPARATOR = '|';
const char PAIR_SEPARATOR = 'x';

// A leading 0 is no octal: the manual promises decimal or 0x hexadecimal.
int NumberBase(const char* text)
{
    return text[0] == '0' && (text[1] == 'x' || text[1] == 'X') ? HEXADECIMAL : DECIMAL;
}

bool ReadNumberUpTo(const char* text, char stop, int32_t lowest, int32_t highest, int32_t* value, const char** end)
{
    char* after = nullptr;
    errno = 0;
    long long number = strtoll(text, &after, NumberBase(text));
    if (errno != 0 || after == text || *after != stop || number < lowest || number > highest)
        return false;
    *value = static_cast<int32_t>(number);
    *end = after;
    return true;
}

bool ReadChoice(const char* choices, const char* text, int32_t* place)
{
    size_t length = strlen(text);
    int32_t index = 0;
    for (const char* word = choices; *word != '\0'; ++index) {
        const char* wordEnd = strchr(word, CHOICE_SEPARATOR);
        size_t wordLength = wordEnd ? static_cast<size_t>(wordEnd - word) : strlen(word);
        if (length > 0 && wordLength == length && strncmp(word, text, length) == 0) {
            *place = index;
            return true;
        }
        word += wordLength + (wordEnd ? 1 : 0);
    }
    return false;
}

bool ReadValue(const ProgramOption& option, const char* value)
{
    const char* end = nullptr;
    switch (option.kind) {
    case OPTION_NUMBER:
        return ReadNumberUpTo(value, '\0', option.lowest, option.highest, option.number, &end);
    case OPTION_CHOICE:
        return ReadChoice(option.choices, value, option.number);
    case OPTION_PAIR:
        return ReadNumberUpTo(value, PAIR_SEPARATOR, option.lowest, option.highest, &option.number[0], &end) &&
               ReadNumberUpTo(end + 1, '\0', option.lowest, option.highest, &option.number[1], &end);
    case OPTION_TEXT:
        *option.text = value;
        return true;
    case OPTION_SET:
        break;
    }
    return false;
}

const ProgramOption* FindOption(const char* argument, const ProgramOption* table, int count)
{
    if (argument[0] != '-')
        return nullptr;
    const char* name = argument + (argument[1] == '-' ? 2 : 1);
    for (int i = 0; i < count; ++i)
        if (strcmp(name, table[i].name) == 0)
            return &table[i];
    return nullptr;
}

}  // namespace

bool ReadProgramOptions(int argc, char** argv, const ProgramOption* table, int count, const char** wrong)
{
    for (int i = 1; i < argc; ++i) {
        *wrong = argv[i];
        const ProgramOption* option = FindOption(argv[i], table, count);
        if (!option)
            return false;
        if (option->kind == OPTION_SET) {
            *option->number = option->lowest;
        } else {
            if (i + 1 >= argc)
                return false;
            *wrong = argv[++i];
            if (!ReadValue(*option, argv[i]))
                return false;
        }
        if (option->given)
            *option->given = true;
    }
    *wrong = nullptr;
    return true;
}

bool ReadOptionNumber(const char* text, int32_t lowest, int32_t highest, int32_t* value)
{
    const char* end = nullptr;
    return ReadNumberUpTo(text, '\0', lowest, highest, value, &end);
}

void WriteStrengths(char* out, size_t room, const char* format, const char* separator)
{
    size_t used = 0;
    if (room > 0)
        out[0] = '\0';
    for (int i = 0; i < FLAME_STRENGTH_COUNT && used < room; ++i) {
        int written = snprintf(out + used, room - used, "%s", i > 0 ? separator : "");
        used += written > 0 ? static_cast<size_t>(written) : 0;
        if (used >= room)
            break;
        written = snprintf(out + used, room - used, format, FLAME_STRENGTHS[i]);
        used += written > 0 ? static_cast<size_t>(written) : 0;
    }
}
