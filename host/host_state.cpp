#include "host_state.h"

HINSTANCE moduleInstance;
int win9xFamily;

HWND saverWindow;
int isPreview;
UINT autoPlayMessage;
HMODULE imm32Module;
ImmAssociateContextEntry associateContextEntry;
HIMC previousInputContext;

int closeApproved;
int verifying;
DWORD lastVerifyTick = NO_VERIFICATION_YET;
POINT startCursor;
DWORD mouseSlack = DEFAULT_MOUSE_SLACK;
BYTE acLineStatus = AC_LINE_UNKNOWN;

HMODULE verifierModule;
VerifyScreenSavePwdEntry verifierEntry;

HINSTANCE SaverModuleInstance()
{
    return moduleInstance;
}

bool SaverIsPreview()
{
    return isPreview != 0;
}
