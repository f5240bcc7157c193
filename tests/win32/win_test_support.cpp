#include "win_test_support.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <set>

#include "host_state.h"
#include "saver_settings.h"
#include "wide_calls.h"

namespace {


}  // namespace

std::string SettingsFilePath()
{
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\" + SETTINGS_FILE_NAME;
}

void RemoveSettingsFile()
{
    DeleteFileA(SettingsFilePath().c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SETTINGS_FILE_NAME);  // drop any cached copy
}

void WriteSetting(const char* section, const char* key, const char* value)
{
    WritePrivateProfileStringA(section, key, value, SETTINGS_FILE_NAME);
}

std::string ReadSetting(const char* section, const char* key)
{
    char value[256];
    GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, SETTINGS_FILE_NAME);
    return value;
}

void PumpPendingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

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

void UseTestModuleAsProgram()
{
    hostState.moduleInstance = GetModuleHandleA(nullptr);
}

namespace {

std::function<void()> insideLoop;

// Checks that stop at a failed assertion never reach their own ending of the
// saver: it is ended here, so that the failure shows at once, not as a time-out.
void EndSaverLeftRunning()
{
    MSG close;
    if (!IsWindow(hostState.saverWindow) ||
        PeekMessageA(&close, hostState.saverWindow, WM_CLOSE, WM_CLOSE, PM_NOREMOVE))
        return;
    ADD_FAILURE() << "the checks left the saver running";
    DestroyWindow(hostState.saverWindow);
}

void CALLBACK RunChecksInsideLoop(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    insideLoop();
    EndSaverLeftRunning();
}

}  // namespace

int RunSaverWith(HWND parent, std::function<void()> checks, UINT checksAfterMs)
{
    insideLoop = checks;
    SetTimer(nullptr, 0, checksAfterMs, RunChecksInsideLoop);
    return RunSaverWindow(parent);
}

void RegisterTestClass(const char* className, WNDPROC procedure, HCURSOR cursor)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = cursor;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
}

int TakeQueued(HWND window, UINT message)
{
    int count = 0;
    MSG queued;
    while (PeekMessageA(&queued, window, message, message, PM_REMOVE))
        ++count;
    return count;
}

int TakePostedCloses(HWND window)
{
    return TakeQueued(window, WM_CLOSE);
}

namespace {

// The import-table slot through which this executable calls `function`.
void** FindImportSlot(const char* function)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    IMAGE_NT_HEADERS* headers =
        reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name; ++library) {
        IMAGE_THUNK_DATA* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

}  // namespace

void* ReplaceImport(const char* function, void* replacement)
{
    void** slot = FindImportSlot(function);
    if (!slot)
        return nullptr;
    DWORD protection;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    void* original = *slot;
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return original;
}

int paintsReceived;

namespace {

const char PAINT_COUNTING_CLASS[] = "TamblornPaintCounter";

LRESULT CALLBACK PaintCountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
        ++paintsReceived;
    return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<RecordedGdiObject> recordedObjects;

HPEN(WINAPI* realCreatePen)(int, int, COLORREF);
HBRUSH(WINAPI* realCreateSolidBrush)(COLORREF);
HFONT(WINAPI* realCreateFontA)(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR);
HFONT(WINAPI* realCreateFontW)(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                               LPCWSTR);
HDC(WINAPI* realCreateCompatibleDC)(HDC);
HBITMAP(WINAPI* realCreateDIBSection)(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
HBITMAP(WINAPI* realLoadBitmapA)(HINSTANCE, LPCSTR);
HANDLE(WINAPI* realLoadImageA)(HINSTANCE, LPCSTR, UINT, int, int, UINT);

template <typename T> T Record(T object)
{
    recordedObjects.push_back({object, GetObjectType(object)});
    return object;
}

HPEN WINAPI RecordingCreatePen(int style, int width, COLORREF colour)
{
    return Record(realCreatePen(style, width, colour));
}

HBRUSH WINAPI RecordingCreateSolidBrush(COLORREF colour)
{
    return Record(realCreateSolidBrush(colour));
}

HFONT WINAPI RecordingCreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face)
{
    return Record(realCreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                  outPrecision, clipPrecision, quality, pitchAndFamily, face));
}

HFONT WINAPI RecordingCreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR face)
{
    return Record(realCreateFontW(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                  outPrecision, clipPrecision, quality, pitchAndFamily, face));
}

HDC WINAPI RecordingCreateCompatibleDC(HDC context)
{
    return Record(realCreateCompatibleDC(context));
}

HBITMAP WINAPI RecordingCreateDIBSection(HDC context, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                                         DWORD offset)
{
    return Record(realCreateDIBSection(context, info, usage, bits, section, offset));
}

HBITMAP WINAPI RecordingLoadBitmapA(HINSTANCE instance, LPCSTR name)
{
    return Record(realLoadBitmapA(instance, name));
}

HANDLE WINAPI RecordingLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags)
{
    return Record(realLoadImageA(instance, name, type, width, height, flags));
}

}  // namespace

HWND CreatePaintCountingWindow(int width, int height)
{
    RegisterTestClass(PAINT_COUNTING_CLASS, PaintCountingProc);
    HWND window = CreateWindowExA(0, PAINT_COUNTING_CLASS, "paint counter", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    PumpPendingMessages();
    paintsReceived = 0;
    return window;
}

void StartRecordingGdiObjects()
{
    recordedObjects.clear();
    realCreatePen = ReplaceImport("CreatePen", RecordingCreatePen);
    realCreateSolidBrush = ReplaceImport("CreateSolidBrush", RecordingCreateSolidBrush);
    realCreateFontA = ReplaceImport("CreateFontA", RecordingCreateFontA);
    // The "W" call is bound by name, not imported.
    realCreateFontW = BoundWideCalls()->createFont;
    BoundWideCalls()->createFont = RecordingCreateFontW;
    realCreateCompatibleDC = ReplaceImport("CreateCompatibleDC", RecordingCreateCompatibleDC);
    realCreateDIBSection = ReplaceImport("CreateDIBSection", RecordingCreateDIBSection);
    realLoadBitmapA = ReplaceImport("LoadBitmapA", RecordingLoadBitmapA);
    realLoadImageA = ReplaceImport("LoadImageA", RecordingLoadImageA);
}

void StopRecordingGdiObjects()
{
    ReplaceImport("CreatePen", realCreatePen);
    ReplaceImport("CreateSolidBrush", realCreateSolidBrush);
    ReplaceImport("CreateFontA", realCreateFontA);
    BoundWideCalls()->createFont = realCreateFontW;
    ReplaceImport("CreateCompatibleDC", realCreateCompatibleDC);
    ReplaceImport("CreateDIBSection", realCreateDIBSection);
    ReplaceImport("LoadBitmapA", realLoadBitmapA);
    ReplaceImport("LoadImageA", realLoadImageA);
}

const std::vector<RecordedGdiObject>& RecordedGdiObjects()
{
    return recordedObjects;
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

int LiveRecordedGdiObjects()
{
    std::set<HGDIOBJ> live;
    for (const RecordedGdiObject& object : recordedObjects)
        if (GetObjectType(object.handle) != 0)
            live.insert(object.handle);
    return static_cast<int>(live.size());
}

// The commit charge of the process: its private bytes (PrivateUsage repeats
// it on Windows and is 0 under Wine).
size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}
