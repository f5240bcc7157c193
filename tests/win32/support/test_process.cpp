// The test process's own matters: its files, its memory, its stress setting,
// the case a harness has in hand, and the pixels of its bitmaps.
#include "win_test_support.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    ASSERT_TRUE(file.write(bytes.data(), bytes.size())) << path;
}

std::string TestDirectory()
{
    std::string path(MAX_PATH, '\0');
    path.resize(GetModuleFileNameA(nullptr, &path[0], MAX_PATH));
    return path.substr(0, path.find_last_of("\\/"));
}

std::vector<uint32_t> ReadBitmapPixels(HBITMAP bitmap, int* width, int* height)
{
    BITMAP description = {};
    GetObjectA(bitmap, sizeof description, &description);
    *width = description.bmWidth;
    *height = description.bmHeight;
    std::vector<uint32_t> pixels(static_cast<size_t>(*width) * *height);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, *width, -*height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, *height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

int StressCount(int bounded, int full)
{
    char value[8] = "";
    GetEnvironmentVariableA("TAMBLORN_STRESS", value, sizeof value);
    return strcmp(value, "1") == 0 ? full : bounded;
}

// The process's committed private bytes, as its pagefile usage.
size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

std::string currentCase;

LONG WINAPI ReportFaultingCase(EXCEPTION_POINTERS* fault)
{
    fprintf(stderr, "fault %08lx on the case: %s\n", fault->ExceptionRecord->ExceptionCode,
            Printable(currentCase).c_str());
    return EXCEPTION_CONTINUE_SEARCH;
}

std::string Printable(const std::string& bytes)
{
    std::string shown;
    char hex[8];
    for (unsigned char byte : bytes) {
        if (byte >= 0x20 && byte < 0x7F) {
            shown += static_cast<char>(byte);
        } else {
            snprintf(hex, sizeof hex, "\\x%02X", byte);
            shown += hex;
        }
    }
    return shown;
}
