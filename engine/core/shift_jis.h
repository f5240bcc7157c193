// What code page 932 writes for a character: the bytes the Windows profile functions hand out for the
// characters of a Unicode-marked settings file.
#ifndef TAMBLORN_SHIFT_JIS_H
#define TAMBLORN_SHIFT_JIS_H

#include <cstddef>
#include <cstdint>

// Writes the one or two bytes of a UTF-16 unit into `bytes` and gives their count: its Shift-JIS
// bytes, a near character where Windows writes one by best fit, else "?".
int ShiftJisOfUnit(uint16_t unit, char* bytes);

// The character that the Shift-JIS text starts with, as a UTF-16 unit (0 where code page 932 reads none), and
// the bytes it takes: 2 for a lead byte with a second byte, else 1; 0 at the text's end.
int ShiftJisCharacterAt(const char* text, uint16_t* unit);

// The characters of a Shift-JIS text, at most `limit`, as units and the bytes each takes; a byte that starts
// no character is a character of its own, unit 0, that draws nothing. Gives their count.
int ShiftJisTextCharacters(const char* text, uint16_t* units, uint8_t* bytes, int limit);

// The table, generated into shift_jis_table.cpp: for each lead byte its 188 cells (second bytes 40..7E,
// 80..FC) as UTF-8 characters, a space where the cell holds none; then the characters written
// otherwise, each with its one or two bytes.
// SHIFT_JIS_ROW_STARTS holds where each row starts in SHIFT_JIS_ROWS, and where the last one ends.
extern const unsigned char SHIFT_JIS_ROW_LEADS[];
extern const size_t SHIFT_JIS_ROW_COUNT;
extern const uint16_t SHIFT_JIS_ROW_STARTS[];
extern const char SHIFT_JIS_ROWS[];
extern const uint16_t SHIFT_JIS_EXTRAS[][2];
extern const size_t SHIFT_JIS_EXTRA_COUNT;

#endif
