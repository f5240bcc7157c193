// The dialog's texts on either kind of dialog: an ANSI one (the 9x family, in the system's code page)
// or a Unicode one (the NT family), whose text box still holds the settings file's Shift-JIS bytes.
#ifndef TAMBLORN_DIALOG_TEXT_H
#define TAMBLORN_DIALOG_TEXT_H

#include "saver_host.h"
#include "saver_settings.h"

// Room for the box's text in bytes, whichever way the box counts its limit.
const int TEXT_BOX_BYTES = 4 * SETTINGS_TEXT_BYTES;

// Puts the settings' bytes into the text box.
void SetTextBoxBytes(HWND dialog, int boxId, const char* bytes);

// The box's text as the settings' bytes; false when a character has no place in the settings' code page.
bool GetTextBoxBytes(HWND dialog, int boxId, char* bytes);

// A message box over the dialog with a string of the string table, under the dialog's caption.
void ShowDialogMessage(HWND dialog, UINT stringId);

#endif
