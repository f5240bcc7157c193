// The "W" calls of USER32 and GDI32 that the program uses on the NT family, bound by name at run time:
// a static import the 9x family lacks would stop the program from loading there.
#ifndef TAMBLORN_WIDE_CALLS_H
#define TAMBLORN_WIDE_CALLS_H

#include <windows.h>

struct WideCalls {
    INT_PTR(WINAPI* dialogBoxParam)(HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM);
    HFONT(WINAPI* createFont)(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                              LPCWSTR);
    int(WINAPI* drawTextEx)(HDC, LPWSTR, int, LPRECT, UINT, LPDRAWTEXTPARAMS);
    int(WINAPI* loadString)(HINSTANCE, UINT, LPWSTR, int);
    int(WINAPI* messageBox)(HWND, LPCWSTR, LPCWSTR, UINT);
    LRESULT(WINAPI* sendMessage)(HWND, UINT, WPARAM, LPARAM);
    LRESULT(WINAPI* sendDlgItemMessage)(HWND, int, UINT, WPARAM, LPARAM);
};

// All of them on the NT family; null on the 9x family or when any is missing, and the "A" path is taken.
WideCalls* BoundWideCalls();

#endif
