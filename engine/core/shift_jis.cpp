#include "shift_jis.h"

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

const uint8_t FIRST_LEAD = 0x80;
const int LEAD_COUNT = 0x80;
const uint8_t LAST_TRAIL = 0xFC;

// Each unit's bytes (a single byte below 0x100), 0 for none; and each cell's unit, by lead byte from 0x80;
// both filled on first use.
uint16_t shiftJisOfUnit[0x10000];
uint16_t unitOfCell[LEAD_COUNT][CELLS_PER_ROW];
bool tableFilled = false;

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

void FillTable()
{
    const char* at = SHIFT_JIS_ROWS;
    for (size_t row = 0; row < SHIFT_JIS_ROW_COUNT; ++row)
        for (int index = 0; index < CELLS_PER_ROW; ++index) {
            uint16_t unit;
            at = NextRowCharacter(at, &unit);
            const uint8_t lead = SHIFT_JIS_ROW_LEADS[row];
            if (unit == HOLE)
                continue;
            unitOfCell[lead - FIRST_LEAD][index] = unit;
            // A character of several cells is written as the first, never as one of the rows that repeat the
            // IBM extensions.
            if (!shiftJisOfUnit[unit] && (lead < NEC_SELECTED_FIRST || lead > NEC_SELECTED_LAST))
                shiftJisOfUnit[unit] = Cell(lead, index);
        }
    for (int i = 0; i < PRIVATE_USE_ROWS * CELLS_PER_ROW; ++i) {
        const uint8_t lead = static_cast<uint8_t>(PRIVATE_USE_LEAD + i / CELLS_PER_ROW);
        shiftJisOfUnit[PRIVATE_USE_FIRST + i] = Cell(lead, i % CELLS_PER_ROW);
        unitOfCell[lead - FIRST_LEAD][i % CELLS_PER_ROW] = static_cast<uint16_t>(PRIVATE_USE_FIRST + i);
    }
    for (int i = 0; i < HALF_WIDTH_KATAKANA_COUNT; ++i)
        shiftJisOfUnit[HALF_WIDTH_KATAKANA_FIRST + i] = static_cast<uint16_t>(HALF_WIDTH_KATAKANA_BYTE + i);
    for (size_t i = 0; i < SHIFT_JIS_EXTRA_COUNT; ++i)
        shiftJisOfUnit[SHIFT_JIS_EXTRAS[i][0]] = SHIFT_JIS_EXTRAS[i][1];
    tableFilled = true;
}

}  // namespace

int ShiftJisOfUnit(uint16_t unit, char* bytes)
{
    if (unit < ASCII_END) {
        bytes[0] = static_cast<char>(unit);
        return 1;
    }
    if (!tableFilled)
        FillTable();
    uint16_t code = shiftJisOfUnit[unit];
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
        if (!tableFilled)
            FillTable();
        *unit = unitOfCell[byte - FIRST_LEAD][trail - FIRST_TRAIL - (trail > SKIPPED_TRAIL)];
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
