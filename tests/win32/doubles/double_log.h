// The test doubles' shared record: a text file named by TAMBLORN_DOUBLE_LOG to
// which every observed event appends one line, so that a test in another process,
// or one that outlives the double's unloading, can read what happened.
#ifndef TAMBLORN_DOUBLE_LOG_H
#define TAMBLORN_DOUBLE_LOG_H

#include <windows.h>

#include <cstring>

inline void AppendDoubleLog(const char* line)
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("TAMBLORN_DOUBLE_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

#endif
