// The test process's own matters: its files, its memory, its stress setting,
// the case a harness has in hand, and the pixels of its bitmaps.
#include "win_test_support.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>

std::string ReadWholeFile(const std::string& path)
{
    std::string content;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return content;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, got);
    fclose(file);
    return content;
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::string TestExecutablePath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

std::string TestDirectory()
{
    std::string path = TestExecutablePath();
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
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = *width;
    info.bmiHeader.biHeight = -*height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
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


// it on Windows and is 0 under Wine).
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
    fprintf(stderr, "fault %08lx on the case:", fault->ExceptionRecord->ExceptionCode);
    for (unsigned char byte : currentCase)
        fprintf(stderr, " %02X", byte);
    fprintf(stderr, "\n");
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

