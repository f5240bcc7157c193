#include "dialog_text.h"

#include "wide_calls.h"

const int MESSAGE_CHARACTERS = 256;

void SetTextBoxBytes(HWND dialog, int boxId, const char* bytes)
{
    if (!IsWindowUnicode(dialog)) {
        SetDlgItemTextA(dialog, boxId, bytes);
        return;
    }
    WCHAR text[TEXT_BOX_BYTES] = L"";
    MultiByteToWideChar(SETTINGS_CODE_PAGE, 0, bytes, -1, text, TEXT_BOX_BYTES);
    BoundWideCalls()->sendDlgItemMessage(dialog, boxId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

bool GetTextBoxBytes(HWND dialog, int boxId, char* bytes)
{
    bytes[0] = '\0';
    if (!IsWindowUnicode(dialog)) {
        GetDlgItemTextA(dialog, boxId, bytes, TEXT_BOX_BYTES);
        return true;
    }
    WCHAR text[TEXT_BOX_BYTES] = L"";
    BoundWideCalls()->sendDlgItemMessage(dialog, boxId, WM_GETTEXT, TEXT_BOX_BYTES, reinterpret_cast<LPARAM>(text));
    BOOL lost = FALSE;
    if (!WideCharToMultiByte(SETTINGS_CODE_PAGE, WC_NO_BEST_FIT_CHARS, text, -1, bytes, TEXT_BOX_BYTES, nullptr,
                             &lost))
        bytes[0] = '\0';
    return !lost;
}

void ShowDialogMessage(HWND dialog, UINT stringId)
{
    if (!IsWindowUnicode(dialog)) {
        char message[MESSAGE_CHARACTERS] = "";
        char caption[MESSAGE_CHARACTERS] = "";
        LoadStringA(SaverModuleInstance(), stringId, message, MESSAGE_CHARACTERS);
        GetWindowTextA(dialog, caption, MESSAGE_CHARACTERS);
        MessageBoxA(dialog, message, caption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const WideCalls* wide = BoundWideCalls();
    WCHAR message[MESSAGE_CHARACTERS] = L"";
    WCHAR caption[MESSAGE_CHARACTERS] = L"";
    wide->loadString(SaverModuleInstance(), stringId, message, MESSAGE_CHARACTERS);
    wide->sendMessage(dialog, WM_GETTEXT, MESSAGE_CHARACTERS, reinterpret_cast<LPARAM>(caption));
    wide->messageBox(dialog, message, caption, MB_OK | MB_ICONEXCLAMATION);
}
