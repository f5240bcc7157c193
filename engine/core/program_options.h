// The command lines of the X11 program and the renderer, read from a table
// of their options in the manner of the XScreenSaver family: one dash or two
// before each name, numbers in decimal or in hexadecimal after 0x.
#ifndef TAMBLORN_PROGRAM_OPTIONS_H
#define TAMBLORN_PROGRAM_OPTIONS_H

#include <cstddef>
#include <cstdint>

enum OptionKind {
    OPTION_SET,  // takes no value and stores `lowest`
    OPTION_NUMBER,  // a number from lowest to highest
    OPTION_CHOICE,  // one of the words of `choices` (separated by '|'): stores its place
    OPTION_PAIR,  // two numbers from lowest to highest as "AxB", into number[0] and number[1]
    OPTION_TEXT,  // any text, kept as given
};

struct ProgramOption {
    const char* name;
    OptionKind kind;
    int32_t* number;
    const char** text;
    bool* given;  // may be null
    int32_t lowest;
    int32_t highest;
    const char* choices;
};

// False for an unknown option, a missing value or a value out of its range:
// `wrong` is then the argument not understood.
bool ReadProgramOptions(int argc, char** argv, const ProgramOption* table, int count, const char** wrong);
bool ReadOptionNumber(const char* text, int32_t lowest, int32_t highest, int32_t* value);

// The strengths offered, each written with `format` (a printf format of one int) and `separator` between
// them, as "6|8|12": for the usage texts, the manual and the settings description.
void WriteStrengths(char* out, size_t room, const char* format, const char* separator);

#endif
