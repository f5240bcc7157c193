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

// The entry points, bound once for the process, and whether all of them are there.
struct WideCallBinding {
    WideCallTable table;
    bool bound;
    bool complete;
};

WideCallBinding wideCallBinding;

}  // namespace

WideCalls* BoundWideCalls()
{
    WideCallBinding& binding = wideCallBinding;
    if (!binding.bound) {
        binding.bound = true;
        binding.complete = (GetVersion() & NOT_NT_FAMILY) == 0;
        HMODULE user32 = GetModuleHandleA("USER32.DLL");
        HMODULE gdi32 = GetModuleHandleA("GDI32.DLL");
        const char* name = WIDE_CALL_NAMES;
        for (int i = 0; binding.complete && i < WIDE_CALL_COUNT; ++i, name += lstrlenA(name) + 1) {
            FARPROC entry = user32 ? GetProcAddress(user32, name) : nullptr;
            binding.table.entries[i] = entry || !gdi32 ? entry : GetProcAddress(gdi32, name);
            binding.complete = binding.table.entries[i] != nullptr;
        }
    }
    return binding.complete ? &binding.table.calls : nullptr;
}
