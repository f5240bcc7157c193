// Conversions of the burning text: the settings keep Shift-JIS bytes (code
// page 932, as on Windows); options come in the locale's encoding and the
// rasteriser wants characters.
#ifndef TAMBLORN_TEXT_ENCODING_H
#define TAMBLORN_TEXT_ENCODING_H

#include <cstddef>
#include <cstdint>

const int TEXT_CHARACTER_LIMIT = 512;

// One character of the text and the bytes it takes in Shift-JIS.
struct TextCharacter {
    uint32_t code;
    int32_t bytes;
};

// The locale's text as Shift-JIS into at most size - 1 bytes and a NUL;
// characters that Shift-JIS lacks are left out and a double-byte character
// is never cut. False when the locale's text cannot be read at all.
bool LocaleTextToShiftJis(const char* text, char* out, size_t size);

// The characters of Shift-JIS bytes; a byte that starts no valid character
// becomes a character of code 0 that takes that byte. Returns the count.
int ShiftJisCharacters(const char* text, TextCharacter* characters, int limit);

// True when the bytes hold something beyond ASCII and all of them are
// valid UTF-8.
bool IsUtf8BeyondAscii(const char* bytes, size_t length);

#endif
