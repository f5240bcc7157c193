// Windows 95 and NT 4.0 may run on a processor with SSE2 without saving its
// registers on a task switch; the system says whether it does. Systems too old
// to have the question get the scalar pass.
#include "cell_pass_system.h"

#include <windows.h>

namespace {

typedef BOOL(WINAPI* IsProcessorFeaturePresentEntry)(DWORD feature);

}  // namespace

int32_t SystemKeepsSseState()
{
#if defined(_WIN64)
    return 1;  // SSE2 is part of every 64-bit system
#else
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    IsProcessorFeaturePresentEntry isPresent = kernel ? reinterpret_cast<IsProcessorFeaturePresentEntry>(
                                                            reinterpret_cast<void*>(GetProcAddress(
                                                                kernel, "IsProcessorFeaturePresent")))
                                                      : nullptr;
    return isPresent && isPresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) ? 1 : 0;
#endif
}
