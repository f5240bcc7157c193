// The screen-saver host's process-wide flags and handles.
#ifndef TAMBLORN_HOST_STATE_H
#define TAMBLORN_HOST_STATE_H

#include "saver_host.h"

const DWORD NO_VERIFICATION_YET = 0xFFFFFFFF;
const DWORD DEFAULT_MOUSE_SLACK = 4;

typedef BOOL(WINAPI* VerifyScreenSavePwdEntry)(HWND window);
typedef HIMC(WINAPI* ImmAssociateContextEntry)(HWND window, HIMC context);

// Start-up.
extern HINSTANCE moduleInstance;
extern int win9xFamily;

// Saver window.
extern HWND saverWindow;
extern int isPreview;
extern UINT autoPlayMessage;
extern HMODULE imm32Module;
extern ImmAssociateContextEntry associateContextEntry;
extern HIMC previousInputContext;

// Closing rules.
extern int closeApproved;
extern int verifying;
extern DWORD lastVerifyTick;
extern POINT startCursor;
extern DWORD mouseSlack;
extern BYTE acLineStatus;

// Password services.
extern HMODULE verifierModule;
extern VerifyScreenSavePwdEntry verifierEntry;

// Start-up and command line.
int SaverMain(HINSTANCE instance, const char* argumentText);
void StartFromCommandLine();
const char* FindArgumentText(const char* commandLine);
DWORD ParseDecimal(const char* text);
// Runs the modal configuration dialog over parent (may be null): 1 after OK, 2 after
// Cancel, DialogBoxParamA's failure value when the dialog cannot be created.
INT_PTR ShowConfigureDialog(HWND parent);

// Saver window and message loop.
int RunSaverWindow(HWND parent);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Default message handling.
int VerifyPasswordToClose(HWND window);

// Password and system services.
void LoadPasswordVerifier();
void UnloadPasswordVerifier();
void ChangeSaverPassword(HWND owner);
void SetSaverRunning(int running);

#endif
