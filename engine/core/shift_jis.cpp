#include "shift_jis.h"

#include <cstring>

#include "saver_settings.h"

namespace {

const uint32_t ASCII_END = 0x80;
const int CELLS_PER_ROW = 188;
const uint8_t FIRST_TRAIL = 0x40;
const uint8_t SKIPPED_TRAIL = 0x7F;  // never a second byte
// The private-use characters fill the rows F0..F9 in order; the half-width katakana are the single bytes A1..DF.
const uint16_t PRIVATE_USE_FIRST = 0xE000;
const uint8_t PRIVATE_USE_LEAD = 0xF0;
const int PRIVATE_USE_ROWS = 10;
const uint16_t HALF_WIDTH_KATAKANA_FIRST = 0xFF61;
const uint8_t HALF_WIDTH_KATAKANA_BYTE = 0xA1;
const int HALF_WIDTH_KATAKANA_COUNT = 63;
const uint8_t HOLE = ' ';
const uint8_t NEC_SELECTED_FIRST = 0xED;
const uint8_t NEC_SELECTED_LAST = 0xEE;
const char UNCONVERTED = '?';

const uint8_t LAST_TRAIL = 0xFC;

const int UTF8_BYTES_MOST = 3;

uint16_t Cell(uint8_t lead, int index)
{
    uint8_t trail = static_cast<uint8_t>(FIRST_TRAIL + index);
    return static_cast<uint16_t>(lead << 8 | (trail >= SKIPPED_TRAIL ? trail + 1 : trail));
}

// The rows hold characters of up to three UTF-8 bytes.
const char* NextRowCharacter(const char* at, uint16_t* unit)
{
    uint8_t lead = static_cast<uint8_t>(*at);
    if (lead < ASCII_END) {
        *unit = lead;
        return at + 1;
    }
    int continuations = lead >= 0xE0 ? 2 : 1;
    uint32_t value = lead & (0x3F >> continuations);
    for (int i = 1; i <= continuations; ++i)
        value = value << 6 | (static_cast<uint8_t>(at[i]) & 0x3F);
    *unit = static_cast<uint16_t>(value);
    return at + 1 + continuations;
}

int Utf8OfUnit(uint16_t unit, char* bytes)
{
    if (unit < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | unit >> 6);
        bytes[1] = static_cast<char>(0x80 | (unit & 0x3F));
        return 2;
    }
    bytes[0] = static_cast<char>(0xE0 | unit >> 12);
    bytes[1] = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (unit & 0x3F));
    return UTF8_BYTES_MOST;
}

int RowOfLead(uint8_t lead)
{
    for (size_t row = 0; row < SHIFT_JIS_ROW_COUNT; ++row)
        if (SHIFT_JIS_ROW_LEADS[row] == lead)
            return static_cast<int>(row);
    return -1;
}

// The unit of a cell of the table's rows: 0 for a hole or a row it lacks.
uint16_t RowCellUnit(uint8_t lead, int index)
{
    int row = RowOfLead(lead);
    if (row < 0)
        return 0;
    const char* at = SHIFT_JIS_ROWS + SHIFT_JIS_ROW_STARTS[row];
    uint16_t unit = 0;
    for (int cell = 0; cell <= index; ++cell)
        at = NextRowCharacter(at, &unit);
    return unit == HOLE ? 0 : unit;
}

// The first cell of the rows that holds the unit, never one of the rows that
// repeat the IBM extensions; 0 for none. A UTF-8 character is never found
// inside another, so a match of its bytes is a cell.
uint16_t RowCellOfUnit(uint16_t unit)
{
    char character[UTF8_BYTES_MOST + 1] = {};
    Utf8OfUnit(unit, character);
    const char* end = SHIFT_JIS_ROWS + SHIFT_JIS_ROW_STARTS[SHIFT_JIS_ROW_COUNT];
    size_t row = 0;
    for (const char* found = strstr(SHIFT_JIS_ROWS, character); found && found < end;
         found = strstr(found + 1, character)) {
        const size_t offset = static_cast<size_t>(found - SHIFT_JIS_ROWS);
        while (SHIFT_JIS_ROW_STARTS[row + 1] <= offset)
            ++row;
        const uint8_t lead = SHIFT_JIS_ROW_LEADS[row];
        if (lead >= NEC_SELECTED_FIRST && lead <= NEC_SELECTED_LAST)
            continue;
        int index = 0;
        uint16_t ignored;
        for (const char* at = SHIFT_JIS_ROWS + SHIFT_JIS_ROW_STARTS[row]; at < found; ++index)
            at = NextRowCharacter(at, &ignored);
        return Cell(lead, index);
    }
    return 0;
}

// What the system writes for a unit: its own best fit first, then the
// single-byte katakana, the private-use rows and the table's rows.
uint16_t ShiftJisCodeOfUnit(uint16_t unit)
{
    for (size_t i = 0; i < SHIFT_JIS_EXTRA_COUNT; ++i)
        if (SHIFT_JIS_EXTRAS[i][0] == unit)
            return SHIFT_JIS_EXTRAS[i][1];
    if (unit >= HALF_WIDTH_KATAKANA_FIRST && unit < HALF_WIDTH_KATAKANA_FIRST + HALF_WIDTH_KATAKANA_COUNT)
        return static_cast<uint16_t>(HALF_WIDTH_KATAKANA_BYTE + unit - HALF_WIDTH_KATAKANA_FIRST);
    if (unit >= PRIVATE_USE_FIRST && unit < PRIVATE_USE_FIRST + PRIVATE_USE_ROWS * CELLS_PER_ROW) {
        const int place = unit - PRIVATE_USE_FIRST;
        return Cell(static_cast<uint8_t>(PRIVATE_USE_LEAD + place / CELLS_PER_ROW), place % CELLS_PER_ROW);
    }
    return RowCellOfUnit(unit);
}

}  // namespace

int ShiftJisOfUnit(uint16_t unit, char* bytes)
{
    if (unit < ASCII_END) {
        bytes[0] = static_cast<char>(unit);
        return 1;
    }
    uint16_t code = ShiftJisCodeOfUnit(unit);
    if (code == 0) {
        bytes[0] = UNCONVERTED;
        return 1;
    }
    if (code <= 0xFF) {
        bytes[0] = static_cast<char>(code);
        return 1;
    }
    bytes[0] = static_cast<char>(code >> 8);
    bytes[1] = static_cast<char>(code & 0xFF);
    return 2;
}

int ShiftJisCharacterAt(const char* text, uint16_t* unit)
{
    const uint8_t byte = static_cast<uint8_t>(text[0]);
    *unit = byte < ASCII_END ? byte : 0;
    if (byte == '\0')
        return 0;
    if (byte >= HALF_WIDTH_KATAKANA_BYTE && byte < HALF_WIDTH_KATAKANA_BYTE + HALF_WIDTH_KATAKANA_COUNT)
        *unit = static_cast<uint16_t>(HALF_WIDTH_KATAKANA_FIRST + byte - HALF_WIDTH_KATAKANA_BYTE);
    if (!IsShiftJisLeadByte(byte) || text[1] == '\0')
        return 1;
    const uint8_t trail = static_cast<uint8_t>(text[1]);
    if (trail >= FIRST_TRAIL && trail != SKIPPED_TRAIL && trail <= LAST_TRAIL) {
        const int index = trail - FIRST_TRAIL - (trail > SKIPPED_TRAIL);
        const bool privateUse = byte >= PRIVATE_USE_LEAD && byte < PRIVATE_USE_LEAD + PRIVATE_USE_ROWS;
        *unit = privateUse ? static_cast<uint16_t>(PRIVATE_USE_FIRST + (byte - PRIVATE_USE_LEAD) * CELLS_PER_ROW + index)
                           : RowCellUnit(byte, index);
    }
    return 2;
}

int ShiftJisTextCharacters(const char* text, uint16_t* units, uint8_t* bytes, int limit)
{
    int count = 0;
    for (int taken; count < limit && (taken = ShiftJisCharacterAt(text, &units[count])) > 0; text += taken)
        bytes[count++] = static_cast<uint8_t>(taken);
    return count;
}
