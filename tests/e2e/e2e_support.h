// What the end-to-end helper programs share: window names read as bytes, hex
// for carrying bytes through the test driver, and waiting while serving this
// thread's windows.
#ifndef TAMBLORN_E2E_SUPPORT_H
#define TAMBLORN_E2E_SUPPORT_H

#include <windows.h>

#include "saver_host.h"
#include "test_windows.h"

#include <cstdio>
#include <cstdlib>
#include <string>

const int E2E_NAME_BYTES = 512;
const char FULL_SCREEN_TITLE[] = "Screen Saver";
const char DIALOG_CLASS[] = "#32770";
const unsigned long long HANDLE_WRAP = 1ULL << 32;
const DWORD POLL_MS = 50;
// A helper whose cases went wrong ends with FAILED; its own other exit codes are apart from any the saver gives.
const int FAILED = 1;
const int USAGE_ERROR = 120;
const int START_FAILED = 121;
const UINT KILLED_EXIT = 122;

inline unsigned long long HandleNumber(HWND window)
{
    return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window));
}

inline HWND WindowOfNumber(const char* number)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(strtoull(number, nullptr, 10)));
}

inline int UsageError(const char* usage)
{
    fprintf(stderr, "usage: %s\n", usage);
    return USAGE_ERROR;
}

inline std::string ClassOf(HWND window)
{
    char name[E2E_NAME_BYTES] = {};
    GetClassNameA(window, name, E2E_NAME_BYTES);
    return name;
}

// Texts are compared as Shift-JIS bytes whatever the system's code page.
const UINT E2E_CODE_PAGE = 932;

inline std::string ShiftJisOf(const WCHAR* text)
{
    char bytes[E2E_NAME_BYTES] = {};
    WideCharToMultiByte(E2E_CODE_PAGE, 0, text, -1, bytes, E2E_NAME_BYTES - 1, nullptr, nullptr);
    return bytes;
}

inline std::string WindowText(HWND window)
{
    WCHAR text[E2E_NAME_BYTES] = {};
    GetWindowTextW(window, text, E2E_NAME_BYTES);
    return ShiftJisOf(text);
}

inline std::string ToHex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex.push_back(digits[byte >> 4]);
        hex.push_back(digits[byte & 0x0F]);
    }
    return hex;
}

inline std::string FromHex(const char* hex)
{
    std::string bytes;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) {
        char pair[3] = {hex[i], hex[i + 1], '\0'};
        bytes.push_back(static_cast<char>(strtoul(pair, nullptr, 16)));
    }
    return bytes;
}

// Waits for the handle, or just lets the time pass when there is none, while
// serving this thread's windows: a saver making its preview window sends
// messages to its parent.
inline bool WaitServingWindows(HANDLE handle, DWORD waitMs)
{
    DWORD started = GetTickCount();
    for (;;) {
        DWORD spent = GetTickCount() - started;
        if (spent >= waitMs)
            return handle && WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        DWORD result = MsgWaitForMultipleObjects(handle ? 1 : 0, &handle, FALSE, waitMs - spent, QS_ALLINPUT);
        if (handle && result == WAIT_OBJECT_0)
            return true;
        PumpMessages();
    }
}

// Asks `found` every POLL_MS until it holds or the wait is over.
template <typename Found> bool PollUntil(DWORD waitMs, Found found)
{
    DWORD started = GetTickCount();
    while (!found()) {
        if (GetTickCount() - started >= waitMs)
            return false;
        Sleep(POLL_MS);
    }
    return true;
}

// Starts a program with a raw command line, trying again where the system
// says the start failed for a reason of its own: Wine gives ERROR_INTERNAL_ERROR
// (1359) when the new process ended before it had finished starting without
// an exit code of its own, which a busy machine now and then sees. The tries
// are bounded and counted (e2eStartRetries) for the helper's summary.
const int START_TRIES = 3;
inline int e2eStartRetries = 0;

inline bool StartProgram(const char* path, const std::string& commandLine, PROCESS_INFORMATION* process)
{
    for (int attempt = 1;; ++attempt) {
        std::string writable = commandLine;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (CreateProcessA(path, &writable[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, process))
            return true;
        DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == START_TRIES) {
            SetLastError(error);
            return false;
        }
        ++e2eStartRetries;
    }
}

inline std::string PreviewCommandLine(const char* saverPath, unsigned long long windowNumber)
{
    return std::string("\"") + saverPath + "\" /p " + std::to_string(windowNumber);
}

// Waits for the program's end while serving this thread's windows, kills it
// when it still runs then, and gives its exit code (KILLED_EXIT when killed).
inline bool EndedWithin(const PROCESS_INFORMATION& process, DWORD waitMs, DWORD* exitCode)
{
    bool ended = WaitServingWindows(process.hProcess, waitMs);
    if (!ended) {
        TerminateProcess(process.hProcess, KILLED_EXIT);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, exitCode);
    return ended;
}

inline void CloseProcess(const PROCESS_INFORMATION& process)
{
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

#endif
