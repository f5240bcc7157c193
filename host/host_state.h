// The screen-saver host's process-wide flags and handles.
#ifndef TAMBLORN_HOST_STATE_H
#define TAMBLORN_HOST_STATE_H

#include "saver_host.h"

const DWORD NO_VERIFICATION_YET = 0xFFFFFFFF;
const DWORD DEFAULT_MOUSE_SLACK = 4;

typedef BOOL(WINAPI* VerifyScreenSavePwdEntry)(HWND window);
typedef HIMC(WINAPI* ImmAssociateContextEntry)(HWND window, HIMC context);

// Every process-wide field of the host; a fresh record is the state at start-up.
struct HostState {
    // Start-up.
    HINSTANCE moduleInstance = nullptr;
    int win9xFamily = 0;

    // Saver window.
    HWND saverWindow = nullptr;
    int isPreview = 0;
    UINT autoPlayMessage = 0;
    HMODULE imm32Module = nullptr;
    ImmAssociateContextEntry associateContextEntry = nullptr;
    HIMC previousInputContext = nullptr;
    HWND watchedParent = nullptr;  // a preview's parent: the loop ends when it goes
    UINT_PTR watchTimer = 0;

    // Closing rules.
    int closeApproved = 0;
    int verifying = 0;
    DWORD lastVerifyTick = NO_VERIFICATION_YET;
    POINT startCursor = {0, 0};
    DWORD mouseSlack = DEFAULT_MOUSE_SLACK;
    BYTE acLineStatus = AC_LINE_UNKNOWN;

    // Password services.
    HMODULE verifierModule = nullptr;
    VerifyScreenSavePwdEntry verifierEntry = nullptr;
};

extern HostState hostState;

#endif
