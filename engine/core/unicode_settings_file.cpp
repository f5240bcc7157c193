// The settings file as the profile functions read it under code page 932, Unicode-marked or not: a marked
// file is decoded as the system decodes it and its characters become their Shift-JIS bytes. Apart from the
// reader of Shift-JIS bytes, so that a program which converts marked files itself carries no table.
#include <cstdlib>

#include "saver_settings.h"
#include "shift_jis.h"

namespace {

const uint32_t ASCII_END = 0x80;

const char UNCONVERTED = '?';

// A file marked as Unicode is read as Unicode and handed out in code page 932, as the profile functions
// do under it. The files the saver writes are never marked.
// Each writes into `text`, and into `strict` the same with "?" for a character that became ASCII by best fit;
// each has room for as many bytes as the file has: a decoded file is never longer.
// (No std::string here: it would bring the library's exception machinery into the saver, doubling its size.)
size_t PutUnit(uint32_t unit, char* text, char* strict, size_t at)
{
    int bytes = ShiftJisOfUnit(static_cast<uint16_t>(unit), text + at);
    for (int i = 0; i < bytes; ++i)
        strict[at + i] = text[at + i];
    if (unit >= ASCII_END && static_cast<uint8_t>(text[at]) < ASCII_END)
        strict[at] = UNCONVERTED;
    return at + bytes;
}

size_t FromUtf16(const char* start, const char* end, bool bigEndian, char* text, char* strict)
{
    size_t length = 0;
    for (const char* at = start; at + 1 < end; at += 2) {
        uint32_t first = static_cast<uint8_t>(at[0]);
        uint32_t second = static_cast<uint8_t>(at[1]);
        length = PutUnit(bigEndian ? first << 8 | second : second << 8 | first, text, strict, length);
    }
    return length;
}

int Utf8Continuations(uint8_t lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 1;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 2;
    return lead >= 0xF0 && lead <= 0xF4 ? 3 : -1;
}

const uint32_t NOT_A_CHARACTER = 0xFFFD;
const uint32_t BAD_SEQUENCE = 0xFFFFFFFF;  // read as NOT_A_CHARACTER
const uint32_t FIRST_BEYOND_UNIT = 0x10000;

// One character as the system's UTF-8 decoder takes it: a sequence the file's end cuts takes the rest of the
// file; a second byte out of its lead's range (overlong, surrogate, beyond U+10FFFF) that still is a
// continuation byte goes with the lead; any other bad byte starts the next character.
const char* NextUtf8Character(const char* at, const char* end, uint32_t* character)
{
    uint8_t lead = static_cast<uint8_t>(*at);
    int continuations = Utf8Continuations(lead);
    *character = lead < ASCII_END ? lead : BAD_SEQUENCE;
    if (continuations < 0)
        return at + 1;
    if (end - at <= continuations)
        return end;
    uint8_t low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    uint8_t high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    uint32_t value = lead & (0x3F >> continuations);
    for (int i = 1; i <= continuations; ++i) {
        uint8_t byte = static_cast<uint8_t>(at[i]);
        if ((byte & 0xC0) != 0x80)
            return at + i;
        if (i == 1 && (byte < low || byte > high))
            return at + 2;
        value = value << 6 | (byte & 0x3F);
    }
    *character = value;
    return at + 1 + continuations;
}

size_t FromUtf8(const char* start, const char* end, char* text, char* strict)
{
    size_t length = 0;
    for (const char* at = start; at < end;) {
        uint32_t character;
        at = NextUtf8Character(at, end, &character);
        if (character == BAD_SEQUENCE)
            character = NOT_A_CHARACTER;
        // A character beyond the units is a pair of surrogates, neither of which the code page holds.
        if (character >= FIRST_BEYOND_UNIT) {
            length = PutUnit(NOT_A_CHARACTER, text, strict, length);
            character = NOT_A_CHARACTER;
        }
        length = PutUnit(character, text, strict, length);
    }
    return length;
}

// Valid UTF-8 throughout, with something beyond ASCII.
bool IsUtf8BeyondAscii(const char* start, const char* end)
{
    bool beyondAscii = false;
    for (const char* at = start; at < end;) {
        uint32_t character;
        at = NextUtf8Character(at, end, &character);
        if (character == BAD_SEQUENCE)
            return false;
        beyondAscii = beyondAscii || character >= ASCII_END;
    }
    return beyondAscii;
}

void ReadUnicodeFile(UnicodeMark mark, const char* start, const char* end, SaverSettings* settings)
{
    size_t length = static_cast<size_t>(end - start);
    char* text = static_cast<char*>(malloc(2 * length));
    char* strict = text + length;
    size_t decodedLength = 0;
    if (text)
        decodedLength = mark == MARK_UTF8 ? FromUtf8(start, end, text, strict)
                                          : FromUtf16(start, end, mark == MARK_UTF16_BIG, text, strict);
    ReadShiftJisSettingsFile(text ? strict : nullptr, text, decodedLength, settings);
    free(text);
}

}  // namespace

void ReadSettingsFile(const char* bytes, size_t length, SaverSettings* settings)
{
    size_t markBytes;
    UnicodeMark mark = SettingsFileMark(bytes, length, &markBytes);
    if (mark == MARK_NONE)
        ReadShiftJisSettingsFile(bytes, nullptr, length, settings);
    else
        ReadUnicodeFile(mark, bytes + markBytes, bytes + length, settings);
}

void ReadSettingsFileTakingUtf8(const char* bytes, size_t length, SaverSettings* settings)
{
    size_t markBytes;
    if (bytes && SettingsFileMark(bytes, length, &markBytes) == MARK_NONE && IsUtf8BeyondAscii(bytes, bytes + length))
        ReadUnicodeFile(MARK_UTF8, bytes, bytes + length, settings);
    else
        ReadSettingsFile(bytes, length, settings);
}
