// The settings file as the profile functions read it under code page 932, Unicode-marked or not: a marked
// file is decoded as the system decodes it and its characters become their Shift-JIS bytes. Apart from the
// reader of Shift-JIS bytes, so that a program which converts marked files itself carries no table.
#include <cstdlib>
#include <cstring>

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

// Valid UTF-8 throughout; `beyondAscii` tells whether there is something beyond ASCII.
bool IsUtf8(const char* start, const char* end, bool* beyondAscii = nullptr)
{
    bool beyond = false;
    for (const char* at = start; at < end;) {
        uint32_t character;
        at = NextUtf8Character(at, end, &character);
        if (character == BAD_SEQUENCE)
            return false;
        beyond = beyond || character >= ASCII_END;
    }
    if (beyondAscii)
        *beyondAscii = beyond;
    return true;
}

bool IsUtf8BeyondAscii(const char* start, const char* end)
{
    bool beyondAscii = false;
    return IsUtf8(start, end, &beyondAscii) && beyondAscii;
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

// The one rule of the native programs and the page: an unmarked file of valid UTF-8 with something beyond
// ASCII is UTF-8.
bool TakenAsUtf8(const char* bytes, size_t length)
{
    size_t markBytes;
    return bytes && SettingsFileMark(bytes, length, &markBytes) == MARK_NONE && IsUtf8BeyondAscii(bytes, bytes + length);
}

const int UTF8_MOST_BYTES = 3;  // for a UTF-16 unit
const uint32_t UTF8_TWO_BYTES_FROM = 0x80;
const uint32_t UTF8_THREE_BYTES_FROM = 0x800;
const int UTF8_BITS = 6;
const uint8_t UTF8_CONTINUATION = 0x80;
const uint8_t UTF8_LOW_BITS = 0x3F;
const uint8_t UTF8_LEADS[] = {0x00, 0xC0, 0xE0};

size_t PutUtf8(uint16_t unit, char* out)
{
    int continuations = unit < UTF8_TWO_BYTES_FROM ? 0 : unit < UTF8_THREE_BYTES_FROM ? 1 : 2;
    out[0] = static_cast<char>(UTF8_LEADS[continuations] | unit >> (UTF8_BITS * continuations));
    for (int i = 1; i <= continuations; ++i)
        out[i] = static_cast<char>(UTF8_CONTINUATION | (unit >> (UTF8_BITS * (continuations - i)) & UTF8_LOW_BITS));
    return static_cast<size_t>(continuations) + 1;
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
    if (TakenAsUtf8(bytes, length))
        ReadUnicodeFile(MARK_UTF8, bytes, bytes + length, settings);
    else
        ReadSettingsFile(bytes, length, settings);
}

char* WithSettingsWrittenTakingUtf8(const char* bytes, size_t length, const SaverSettings& settings,
                                    size_t* outLength)
{
    size_t markBytes;
    bool marked = SettingsFileMark(bytes, length, &markBytes) == MARK_UTF8 && IsUtf8(bytes + markBytes, bytes + length);
    if (!marked && !TakenAsUtf8(bytes, length))
        return WithSettingsWritten(bytes, length, settings, outLength);
    if (!marked)
        markBytes = 0;
    char quoted[QUOTED_TEXT_BYTES];
    const char* text = QuotedSettingsText(settings.text, quoted);
    char value[QUOTED_TEXT_BYTES * UTF8_MOST_BYTES + 1];
    size_t valueLength = 0;
    for (const char* at = text; *at != '\0';) {
        uint16_t unit = 0;
        at += ShiftJisCharacterAt(at, &unit);
        if (unit != 0)
            valueLength += PutUtf8(unit, value + valueLength);
    }
    value[valueLength] = '\0';
    char* written = WithSettingsAndTextWritten(bytes + markBytes, length - markBytes, settings, value, true, outLength);
    char* withMark = written ? static_cast<char*>(malloc(*outLength + markBytes)) : nullptr;
    if (withMark) {
        memcpy(withMark, bytes, markBytes);
        memcpy(withMark + markBytes, written, *outLength);
        *outLength += markBytes;
    }
    free(written);
    return withMark;
}
