// What the Windows tests and the end-to-end helper programs share of their own
// windows: serving the thread's queue, and a parent the size of the display
// settings' preview.
#ifndef TAMBLORN_TEST_WINDOWS_H
#define TAMBLORN_TEST_WINDOWS_H

#include <windows.h>

// The client area of the display settings' preview.
const int PREVIEW_WIDTH = 152;
const int PREVIEW_HEIGHT = 112;

inline void PumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A parent window whose client area is the preview's, of a class registered
// here with the given procedure and a grey background.
inline HWND CreatePreviewParent(const char* className, WNDPROC procedure, const char* title, DWORD style, int left,
                                int top)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    if (!GetClassInfoA(instance, className, &windowClass)) {
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.lpszClassName = className;
        if (!RegisterClassA(&windowClass))
            return nullptr;
    }
    RECT frame = {0, 0, PREVIEW_WIDTH, PREVIEW_HEIGHT};
    AdjustWindowRect(&frame, style, FALSE);
    HWND parent = CreateWindowExA(0, className, title, style, left, top, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (parent)
        UpdateWindow(parent);
    return parent;
}

#endif
