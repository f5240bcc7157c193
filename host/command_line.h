// Reading the argument text behind the program name.
#ifndef TAMBLORN_COMMAND_LINE_H
#define TAMBLORN_COMMAND_LINE_H

#include <windows.h>

enum SwitchKind {
    SWITCH_NONE,  // no switch at all: the configuration dialog without a parent
    SWITCH_CONFIGURE,  // c: the configuration dialog over a window
    SWITCH_FULL_SCREEN,  // s
    SWITCH_PREVIEW,  // p or l
    SWITCH_PASSWORD,  // a
    SWITCH_REJECTED  // anything else
};

// The first switch of the argument text and the window number written after
// it, 0 when there is none.
struct SaverSwitch {
    SwitchKind kind;
    DWORD windowNumber;
};

const char* FindArgumentText(const char* commandLine);
DWORD ParseDecimal(const char* text);
void ReadSaverSwitch(const char* argumentText, SaverSwitch* result);

#endif
