#include "text_encoding.h"

#include <iconv.h>
#include <langinfo.h>

#include <cstring>

namespace {

const char SHIFT_JIS_CODE[] = "CP932";
const char CHARACTER_CODE[] = "UTF-32LE";
const size_t CHARACTER_BYTES = 4;
const size_t WIDEST_SHIFT_JIS = 2;
const iconv_t NO_CONVERTER = reinterpret_cast<iconv_t>(-1);

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
