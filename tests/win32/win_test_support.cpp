#include "win_test_support.h"

#include <cstdio>

#include "host_state.h"

namespace {

const char SETTINGS_FILE_NAME[] = "TamblornScrS";

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

void UseTestModuleAsProgram()
{
    moduleInstance = GetModuleHandleA(nullptr);
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
HDC(WINAPI* realCreateCompatibleDC)(HDC);
HBITMAP(WINAPI* realCreateDIBSection)(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
HBITMAP(WINAPI* realLoadBitmapA)(HINSTANCE, LPCSTR);

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

BYTE* ModuleAddress(HMODULE module, DWORD offset)
{
    return reinterpret_cast<BYTE*>(module) + offset;
}

// Swaps one entry of this executable's import address table.
template <typename F> void PatchImport(const char* function, F replacement, F* original)
{
    HMODULE module = GetModuleHandleA(nullptr);
    IMAGE_DOS_HEADER* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(module);
    IMAGE_NT_HEADERS* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(ModuleAddress(module, dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    IMAGE_IMPORT_DESCRIPTOR* library =
        reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(ModuleAddress(module, imports.VirtualAddress));
    for (; library->Name; ++library) {
        IMAGE_THUNK_DATA* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(ModuleAddress(module, library->FirstThunk));
        IMAGE_THUNK_DATA* name =
            reinterpret_cast<IMAGE_THUNK_DATA*>(ModuleAddress(module, library->OriginalFirstThunk));
        for (; slot->u1.Function; ++slot, ++name) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(
                ModuleAddress(module, static_cast<DWORD>(name->u1.AddressOfData)));
            if (strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
                continue;
            DWORD protection;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection);
            if (original)
                *original = reinterpret_cast<F>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            return;
        }
    }
}

}  // namespace

HWND CreatePaintCountingWindow(int width, int height)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PaintCountingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = PAINT_COUNTING_CLASS;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, PAINT_COUNTING_CLASS, "paint counter", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    PumpPendingMessages();
    paintsReceived = 0;
    return window;
}

void StartRecordingGdiObjects()
{
    recordedObjects.clear();
    PatchImport("CreatePen", RecordingCreatePen, &realCreatePen);
    PatchImport("CreateSolidBrush", RecordingCreateSolidBrush, &realCreateSolidBrush);
    PatchImport("CreateFontA", RecordingCreateFontA, &realCreateFontA);
    PatchImport("CreateCompatibleDC", RecordingCreateCompatibleDC, &realCreateCompatibleDC);
    PatchImport("CreateDIBSection", RecordingCreateDIBSection, &realCreateDIBSection);
    PatchImport("LoadBitmapA", RecordingLoadBitmapA, &realLoadBitmapA);
}

void StopRecordingGdiObjects()
{
    PatchImport("CreatePen", realCreatePen, static_cast<decltype(realCreatePen)*>(nullptr));
    PatchImport("CreateSolidBrush", realCreateSolidBrush, static_cast<decltype(realCreateSolidBrush)*>(nullptr));
    PatchImport("CreateFontA", realCreateFontA, static_cast<decltype(realCreateFontA)*>(nullptr));
    PatchImport("CreateCompatibleDC", realCreateCompatibleDC, static_cast<decltype(realCreateCompatibleDC)*>(nullptr));
    PatchImport("CreateDIBSection", realCreateDIBSection, static_cast<decltype(realCreateDIBSection)*>(nullptr));
    PatchImport("LoadBitmapA", realLoadBitmapA, static_cast<decltype(realLoadBitmapA)*>(nullptr));
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
