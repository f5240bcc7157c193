// The saver window, full screen or in a preview, and its message loop.
#ifndef TAMBLORN_SAVER_WINDOW_H
#define TAMBLORN_SAVER_WINDOW_H

#include <windows.h>

int RunSaverWindow(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
