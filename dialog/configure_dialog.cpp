#include "configure_dialog.h"

#include "resource_ids.h"
#include "settings_profile.h"

namespace {

const int NUMBER_BYTES = 16;
const int FONT_SIZE_BYTE_MASK = 0xFF;

const int32_t FLAME_LIMIT_LOW = 6;
const int32_t FLAME_LIMIT_MEDIUM = 8;
const int32_t FLAME_LIMIT_HIGH = 12;
const int32_t HIGHEST_LOW_LIMIT = 7;
const int32_t LOWEST_HIGH_LIMIT = 12;

const int NO_RADIO = 0;

int FlameRadioFor(int32_t flameLimit)
{
    if (flameLimit <= HIGHEST_LOW_LIMIT)
        return IDC_FLAME_LOW;
    if (flameLimit < LOWEST_HIGH_LIMIT)
        return IDC_FLAME_MEDIUM;
    return IDC_FLAME_HIGH;
}

// A mode other than text or bonfire, only possible from a hand-edited file, checks neither radio.
int FireRadioFor(int32_t fireMode)
{
    if (fireMode == FIRE_TEXT || fireMode == FIRE_BONFIRE)
        return IDC_FIRE_TEXT + fireMode;
    return NO_RADIO;
}

void CheckFlameRadio(HWND dialog)
{
    CheckRadioButton(dialog, IDC_FLAME_LOW, IDC_FLAME_HIGH, FlameRadioFor(saverSettings.flameLimit));
}

void CheckFireRadio(HWND dialog)
{
    CheckRadioButton(dialog, IDC_FIRE_TEXT, IDC_FIRE_BONFIRE, FireRadioFor(saverSettings.fireMode));
}

INT_PTR OnConfigureInit(HWND dialog)
{
    LoadSaverSettings();
    SetDlgItemTextA(dialog, IDC_TEXT, saverSettings.text);
    CheckFlameRadio(dialog);
    if (saverSettings.loop)
        SendDlgItemMessageA(dialog, IDC_LOOP, BM_SETCHECK, BST_CHECKED, 0);
    CheckFireRadio(dialog);
    char number[NUMBER_BYTES];
    wsprintfA(number, "%d", saverSettings.fontSize);
    SetDlgItemTextA(dialog, IDC_FONT_SIZE, number);
    return TRUE;
}

void OnConfigureOk(HWND dialog)
{
    GetDlgItemTextA(dialog, IDC_TEXT, saverSettings.text, SETTINGS_TEXT_BYTES);
    UINT typed = GetDlgItemInt(dialog, IDC_FONT_SIZE, nullptr, TRUE);
    saverSettings.fontSize = static_cast<int8_t>(typed & FONT_SIZE_BYTE_MASK);
    SaveSaverSettings();
    EndDialog(dialog, IDOK);
}

void ChooseFireMode(HWND dialog, int32_t fireMode)
{
    saverSettings.fireMode = fireMode;
    SyncFlameRadios(dialog);
}

void ChooseFlameLimit(HWND dialog, int32_t flameLimit)
{
    saverSettings.flameLimit = flameLimit;
    SyncFlameRadios(dialog);
}

INT_PTR OnConfigureCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        OnConfigureOk(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_LOOP:
        // The check box shows any non-zero loop as checked and unchecks itself on this click.
        saverSettings.loop = saverSettings.loop ? 0 : 1;
        return TRUE;
    case IDC_FIRE_TEXT:
        ChooseFireMode(dialog, FIRE_TEXT);
        return TRUE;
    case IDC_FIRE_BONFIRE:
        ChooseFireMode(dialog, FIRE_BONFIRE);
        return TRUE;
    case IDC_FLAME_LOW:
        ChooseFlameLimit(dialog, FLAME_LIMIT_LOW);
        return TRUE;
    case IDC_FLAME_MEDIUM:
        ChooseFlameLimit(dialog, FLAME_LIMIT_MEDIUM);
        return TRUE;
    case IDC_FLAME_HIGH:
        ChooseFlameLimit(dialog, FLAME_LIMIT_HIGH);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

// There is no class of the dialog's own to register.
BOOL RegisterConfigureClasses(HINSTANCE)
{
    return TRUE;
}

INT_PTR CALLBACK ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnConfigureInit(dialog);
    case WM_COMMAND:
        return OnConfigureCommand(dialog, wParam);
    default:
        return FALSE;
    }
}

void SyncFlameRadios(HWND dialog)
{
    CheckFlameRadio(dialog);
    CheckFireRadio(dialog);
}
