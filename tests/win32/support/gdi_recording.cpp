// Import-table patching, and through it a record of every GDI object the
// program creates.
#include "win_test_support.h"

#include <cstring>
#include <set>

#include "wide_calls.h"

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

namespace {

FARPROC(WINAPI* realGetProcAddress)(HMODULE, LPCSTR);
const char* offeredName;
FARPROC offeredEntry;

FARPROC WINAPI GetOfferedEntry(HMODULE module, LPCSTR name)
{
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) && strcmp(name, offeredName) == 0)
        return offeredEntry;
    return realGetProcAddress(module, name);
}

}  // namespace

void OfferEntry(const char* name, FARPROC entry)
{
    offeredName = name;
    offeredEntry = entry;
    if (!realGetProcAddress)
        realGetProcAddress = ReplaceImport("GetProcAddress", GetOfferedEntry);
}

void StopOfferingEntry()
{
    if (realGetProcAddress)
        ReplaceImport("GetProcAddress", realGetProcAddress);
    realGetProcAddress = nullptr;
}

namespace {

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

int LiveRecordedGdiObjects()
{
    std::set<HGDIOBJ> live;
    for (const RecordedGdiObject& object : recordedObjects)
        if (GetObjectType(object.handle) != 0)
            live.insert(object.handle);
    return static_cast<int>(live.size());
}

