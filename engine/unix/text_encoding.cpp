#include "text_encoding.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>

namespace {

const char SHIFT_JIS_CODE[] = "CP932";
const char CHARACTER_CODE[] = "UTF-32LE";
const char UTF8_CODE[] = "UTF-8";
const unsigned char ASCII_END = 0x80;
const size_t CHECK_BUFFER_BYTES = 4096;
const size_t CHARACTER_BYTES = 4;
const size_t WIDEST_SHIFT_JIS = 2;
const iconv_t NO_CONVERTER = reinterpret_cast<iconv_t>(-1);

uint32_t LittleWord(const char* bytes)
{
    const unsigned char* word = reinterpret_cast<const unsigned char*>(bytes);
    return word[0] | word[1] << 8 | word[2] << 16 | static_cast<uint32_t>(word[3]) << 24;
}

}  // namespace

bool LocaleTextToShiftJis(const char* text, char* out, size_t size)
{
    iconv_t toCharacters = iconv_open(CHARACTER_CODE, nl_langinfo(CODESET));
    iconv_t toShiftJis = iconv_open(SHIFT_JIS_CODE, CHARACTER_CODE);
    bool ready = toCharacters != NO_CONVERTER && toShiftJis != NO_CONVERTER;
    char* in = const_cast<char*>(text);
    size_t inLeft = strlen(text);
    size_t written = 0;
    while (ready && inLeft > 0) {
        char word[CHARACTER_BYTES];
        char* wordEnd = word;
        size_t wordLeft = sizeof word;
        iconv(toCharacters, nullptr, nullptr, nullptr, nullptr);
        iconv(toCharacters, &in, &inLeft, &wordEnd, &wordLeft);
        if (wordLeft != 0) {
            // Bytes that are no character of the locale are stepped over.
            ++in;
            --inLeft;
            continue;
        }
        char* wordIn = word;
        size_t wordBytes = sizeof word;
        char encoded[WIDEST_SHIFT_JIS * 2];
        char* encodedEnd = encoded;
        size_t encodedLeft = sizeof encoded;
        iconv(toShiftJis, nullptr, nullptr, nullptr, nullptr);
        if (iconv(toShiftJis, &wordIn, &wordBytes, &encodedEnd, &encodedLeft) == static_cast<size_t>(-1))
            continue;
        size_t made = sizeof encoded - encodedLeft;
        if (written + made + 1 > size)
            break;
        memcpy(out + written, encoded, made);
        written += made;
    }
    out[written] = '\0';
    if (toCharacters != NO_CONVERTER)
        iconv_close(toCharacters);
    if (toShiftJis != NO_CONVERTER)
        iconv_close(toShiftJis);
    return ready;
}

int ShiftJisCharacters(const char* text, TextCharacter* characters, int limit)
{
    iconv_t converter = iconv_open(CHARACTER_CODE, SHIFT_JIS_CODE);
    int count = 0;
    char* in = const_cast<char*>(text);
    size_t inLeft = strlen(text);
    while (inLeft > 0 && count < limit) {
        char word[CHARACTER_BYTES];
        char* wordEnd = word;
        size_t wordLeft = sizeof word;
        size_t before = inLeft;
        if (converter != NO_CONVERTER) {
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
            iconv(converter, &in, &inLeft, &wordEnd, &wordLeft);
        }
        bool converted = wordLeft == 0;
        if (!converted) {
            ++in;
            --inLeft;
        }
        characters[count].code = converted ? LittleWord(word) : 0;
        characters[count].bytes = static_cast<int32_t>(before - inLeft);
        ++count;
    }
    if (converter != NO_CONVERTER)
        iconv_close(converter);
    return count;
}

bool IsUtf8BeyondAscii(const char* bytes, size_t length)
{
    bool beyondAscii = false;
    for (size_t i = 0; i < length && !beyondAscii; ++i)
        beyondAscii = static_cast<unsigned char>(bytes[i]) >= ASCII_END;
    iconv_t converter = beyondAscii ? iconv_open(CHARACTER_CODE, UTF8_CODE) : NO_CONVERTER;
    if (converter == NO_CONVERTER)
        return false;
    char* in = const_cast<char*>(bytes);
    size_t inLeft = length;
    bool valid = true;
    while (valid && inLeft > 0) {
        char characters[CHECK_BUFFER_BYTES];
        char* out = characters;
        size_t outLeft = sizeof characters;
        valid = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) || errno == E2BIG;
    }
    iconv_close(converter);
    return valid;
}
