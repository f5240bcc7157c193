// The test doubles' shared record: a text file named by TAMBLORN_DOUBLE_LOG to
// which every observed event appends one line, so that a test in another process,
// or one that outlives the double's unloading, can read what happened.
#ifndef TAMBLORN_DOUBLE_LOG_H
#define TAMBLORN_DOUBLE_LOG_H

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

const int DOUBLE_LOG_LINE_BYTES = 256;

// Appends one line, formatted as by printf.
inline void AppendDoubleLog(const char* format, ...)
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("TAMBLORN_DOUBLE_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    char line[DOUBLE_LOG_LINE_BYTES];
    va_list arguments;
    va_start(arguments, format);
    int written = vsnprintf(line, sizeof line - 2, format, arguments);
    va_end(arguments);
    if (written < 0)
        return;
    strcat(line, "\r\n");
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD done;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &done, nullptr);
    CloseHandle(file);
}

// Every stand-in's entry point: it records its own loading and unloading under
// its library's name, so that a test sees whether the program freed it.
inline BOOL LogLoadingOf(const char* library, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH)
        AppendDoubleLog("%s loaded", library);
    else if (reason == DLL_PROCESS_DETACH)
        AppendDoubleLog("%s %s", library, reserved ? "released at exit" : "freed");
    return TRUE;
}

#endif
