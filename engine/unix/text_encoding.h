// The burning text from the locale's encoding: the settings keep Shift-JIS
// bytes (code page 932, as on Windows); options come in the locale's.
#ifndef TAMBLORN_TEXT_ENCODING_H
#define TAMBLORN_TEXT_ENCODING_H

#include <cstddef>

// The locale's text as Shift-JIS into at most size - 1 bytes and a NUL;
// characters that code page 932 lacks are left out and a double-byte
// character is never cut. False when the locale's text cannot be read at all.
bool LocaleTextToShiftJis(const char* text, char* out, size_t size);

#endif
