#include "wide_calls.h"

namespace {

const DWORD NOT_NT_FAMILY = 0x80000000;  // GetVersion's high bit

// In the order of the record's fields, each ended by a NUL: one string rather than a table of pointers keeps
// the program's relocations, and so its size, down.
const char WIDE_CALL_NAMES[] = "DialogBoxParamW\0CreateFontW\0DrawTextExW\0LoadStringW\0MessageBoxW\0SendMessageW\0"
                               "SendDlgItemMessageW";
const int WIDE_CALL_COUNT = 7;
static_assert(sizeof(WideCalls) == WIDE_CALL_COUNT * sizeof(FARPROC), "one name per field");

// GCC reads a union's other member as the same bytes: each entry becomes its field's type.
union WideCallTable {
    WideCalls calls;
    FARPROC entries[WIDE_CALL_COUNT];
};

WideCallTable wideCallTable;
bool wideCallsBound = false;
bool wideCallsComplete = false;

}  // namespace

WideCalls* BoundWideCalls()
{
    if (!wideCallsBound) {
        wideCallsBound = true;
        wideCallsComplete = (GetVersion() & NOT_NT_FAMILY) == 0;
        HMODULE user32 = GetModuleHandleA("USER32.DLL");
        HMODULE gdi32 = GetModuleHandleA("GDI32.DLL");
        const char* name = WIDE_CALL_NAMES;
        for (int i = 0; wideCallsComplete && i < WIDE_CALL_COUNT; ++i, name += lstrlenA(name) + 1) {
            FARPROC entry = user32 ? GetProcAddress(user32, name) : nullptr;
            wideCallTable.entries[i] = entry || !gdi32 ? entry : GetProcAddress(gdi32, name);
            wideCallsComplete = wideCallTable.entries[i] != nullptr;
        }
    }
    return wideCallsComplete ? &wideCallTable.calls : nullptr;
}
