// The command-line grammar as the tests model it, apart from the program's own
// reader: the in-process harness and the runs of the real program both judge
// against it.
#ifndef TAMBLORN_COMMAND_LINE_MODEL_H
#define TAMBLORN_COMMAND_LINE_MODEL_H

#include <windows.h>

#include "command_line.h"

// Where the argument text begins: behind the program name, quoted or not,
// and behind the blanks after it.
const char* ExpectedArgumentText(const char* line);

// The decimal run at the start, modulo 2^32.
DWORD ExpectedNumber(const char* at);

// The switch the argument text asks for.
SaverSwitch ExpectedSwitch(const char* argumentText);

// What the real program must show for a whole command line on a system not of
// the 9x family: "saver", "dialog", "preview" (in `parent`), "rejected", or
// "any" for a preview in a window of another program.
const char* ExpectedShown(const char* line, HWND parent);

#endif
