// The burning text from the locale's encoding: the settings keep Shift-JIS
// bytes (code page 932, as on Windows); options come in the locale's.
#ifndef TAMBLORN_TEXT_ENCODING_H
#define TAMBLORN_TEXT_ENCODING_H

#include <cstddef>

// The locale's text as Shift-JIS into at most size - 1 bytes and a NUL, by
// iconv's CP932, which also takes the JIS forms of its characters (a wave
// dash for the full-width tilde, as Japanese input methods type it);
// characters it lacks are left out and a double-byte character is never
// cut. False when the locale's text cannot be read at all.
bool LocaleTextToShiftJis(const char* text, char* out, size_t size);

#endif
