#include "configure_dialog.h"

#include "dialog_text.h"

#include "resource_ids.h"
#include "settings_profile.h"

namespace {

const int NUMBER_BYTES = 16;

const int NO_RADIO = 0;
const int MOST_TEXT_BYTES = SETTINGS_TEXT_BYTES - 1;

// A limit between two strengths shows the lower one's radio.
int FlameRadioFor(int32_t flameLimit)
{
    int strength = 0;
    while (strength + 1 < FLAME_STRENGTH_COUNT && flameLimit >= FLAME_STRENGTHS[strength + 1])
        ++strength;
    return IDC_FLAME_LOW + strength;
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
    // The box takes no more bytes than the settings hold, so what is shown is what is stored.
    SendDlgItemMessageA(dialog, IDC_TEXT, EM_LIMITTEXT, MOST_TEXT_BYTES, 0);
    SetTextBoxBytes(dialog, IDC_TEXT, saverSettings.text);
    CheckFlameRadio(dialog);
    if (saverSettings.loop)
        SendDlgItemMessageA(dialog, IDC_LOOP, BM_SETCHECK, BST_CHECKED, 0);
    CheckFireRadio(dialog);
    char number[NUMBER_BYTES];
    wsprintfA(number, "%d", saverSettings.fontSize);
    SetDlgItemTextA(dialog, IDC_FONT_SIZE, number);
    return TRUE;
}

// Where the box counts its limit in characters rather than bytes (a Unicode box, or Wine's), a change
// that leaves more bytes than the settings hold is cut back to the whole characters the settings file
// keeps, the caret at the end.
void KeepTextWithinSettings(HWND dialog)
{
    char typed[TEXT_BOX_BYTES];
    GetTextBoxBytes(dialog, IDC_TEXT, typed);
    if (lstrlenA(typed) <= MOST_TEXT_BYTES)
        return;
    typed[WholeCharacterBytes(typed, MOST_TEXT_BYTES)] = '\0';
    SetTextBoxBytes(dialog, IDC_TEXT, typed);
    SendDlgItemMessageA(dialog, IDC_TEXT, EM_SETSEL, MOST_TEXT_BYTES, MOST_TEXT_BYTES);
}

// A text the settings cannot hold, or a save that failed, is reported and the dialog stays open
// (Cancel still leaves); nothing is written for the first.
void OnConfigureOk(HWND dialog)
{
    char typed[TEXT_BOX_BYTES];
    if (!GetTextBoxBytes(dialog, IDC_TEXT, typed)) {
        ShowDialogMessage(dialog, IDS_TEXT_NOT_STORABLE);
        return;
    }
    lstrcpynA(saverSettings.text, typed, SETTINGS_TEXT_BYTES);
    SetSettingsNumber(&saverSettings, VALUE_FONT_SIZE,
                      static_cast<int32_t>(GetDlgItemInt(dialog, IDC_FONT_SIZE, nullptr, TRUE)));
    if (SaveSaverSettings())
        EndDialog(dialog, IDOK);
    else
        ShowDialogMessage(dialog, IDS_SAVE_FAILED);
}

void ChooseFireMode(HWND dialog, int32_t fireMode)
{
    saverSettings.fireMode = fireMode;
    SyncFlameRadios(dialog);
}

void ChooseFlameStrength(HWND dialog, int radio)
{
    saverSettings.flameLimit = FLAME_STRENGTHS[radio - IDC_FLAME_LOW];
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
    case IDC_TEXT:
        if (HIWORD(wParam) != EN_CHANGE)
            return FALSE;
        KeepTextWithinSettings(dialog);
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
    case IDC_FLAME_MEDIUM:
    case IDC_FLAME_HIGH:
        ChooseFlameStrength(dialog, LOWORD(wParam));
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
