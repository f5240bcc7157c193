// Native stand-in for the Windows side of the step: it records what the step
// asked of the platform.
#include "platform_stand_in.h"

int logsCopies = 0;
int repaints = 0;
HWND lastRepaintedWindow = nullptr;

void CopyLogsPictureIntoCanvas()
{
    ++logsCopies;
}

void RepaintEffectWindow(HWND window)
{
    ++repaints;
    lastRepaintedWindow = window;
}
