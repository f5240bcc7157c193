#include "wide_calls.h"

namespace {

const DWORD NOT_NT_FAMILY = 0x80000000;  // GetVersion's high bit

struct WideCallName {
    const char* library;
    const char* name;
};

// In the order of the record's fields.
const WideCallName WIDE_CALL_NAMES[] = {
    {"USER32.DLL", "DialogBoxParamW"}, {"GDI32.DLL", "CreateFontW"},  {"USER32.DLL", "DrawTextExW"},
    {"USER32.DLL", "LoadStringW"},     {"USER32.DLL", "MessageBoxW"}, {"USER32.DLL", "SendMessageW"},
    {"USER32.DLL", "SendDlgItemMessageW"},
};
const int WIDE_CALL_COUNT = sizeof WIDE_CALL_NAMES / sizeof WIDE_CALL_NAMES[0];
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
        for (int i = 0; wideCallsComplete && i < WIDE_CALL_COUNT; ++i) {
            HMODULE library = GetModuleHandleA(WIDE_CALL_NAMES[i].library);
            wideCallTable.entries[i] = library ? GetProcAddress(library, WIDE_CALL_NAMES[i].name) : nullptr;
            wideCallsComplete = wideCallTable.entries[i] != nullptr;
        }
    }
    return wideCallsComplete ? &wideCallTable.calls : nullptr;
}
