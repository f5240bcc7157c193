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

decltype(&CreatePen) realCreatePen;
decltype(&CreateSolidBrush) realCreateSolidBrush;
decltype(&CreateFontA) realCreateFontA;
decltype(&CreateFontW) realCreateFontW;
decltype(&CreateCompatibleDC) realCreateCompatibleDC;
decltype(&CreateDIBSection) realCreateDIBSection;
decltype(&LoadBitmapA) realLoadBitmapA;
decltype(&LoadImageA) realLoadImageA;

template <typename T> T Record(T object)
{
    recordedObjects.push_back({object, GetObjectType(object)});
    return object;
}

// Calls the real entry and records what it made.
template <auto& real, typename R, typename... A> R WINAPI Recorded(A... arguments)
{
    return Record(real(arguments...));
}
template <auto& real, typename R, typename... A> auto RecorderOf(R(WINAPI*)(A...))
{
    return &Recorded<real, R, A...>;
}

}  // namespace

void StartRecordingGdiObjects()
{
    recordedObjects.clear();
    realCreatePen = ReplaceImport("CreatePen", RecorderOf<realCreatePen>(realCreatePen));
    realCreateSolidBrush = ReplaceImport("CreateSolidBrush", RecorderOf<realCreateSolidBrush>(realCreateSolidBrush));
    realCreateFontA = ReplaceImport("CreateFontA", RecorderOf<realCreateFontA>(realCreateFontA));
    // The "W" call is bound by name, not imported.
    realCreateFontW = BoundWideCalls()->createFont;
    BoundWideCalls()->createFont = RecorderOf<realCreateFontW>(realCreateFontW);
    realCreateCompatibleDC =
        ReplaceImport("CreateCompatibleDC", RecorderOf<realCreateCompatibleDC>(realCreateCompatibleDC));
    realCreateDIBSection = ReplaceImport("CreateDIBSection", RecorderOf<realCreateDIBSection>(realCreateDIBSection));
    realLoadBitmapA = ReplaceImport("LoadBitmapA", RecorderOf<realLoadBitmapA>(realLoadBitmapA));
    realLoadImageA = ReplaceImport("LoadImageA", RecorderOf<realLoadImageA>(realLoadImageA));
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
