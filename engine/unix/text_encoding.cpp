#include "text_encoding.h"

#include <iconv.h>
#include <langinfo.h>

#include <cstdint>
#include <cstring>

#include "shift_jis.h"

namespace {

const char CHARACTER_CODE[] = "UTF-32LE";
const size_t CHARACTER_BYTES = 4;
const uint32_t FIRST_BEYOND_UNIT = 0x10000;
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
    char* in = const_cast<char*>(text);
    size_t inLeft = strlen(text);
    size_t written = 0;
    while (toCharacters != NO_CONVERTER && inLeft > 0) {
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
        uint32_t character = LittleWord(word);
        char encoded[2];
        size_t made = character < FIRST_BEYOND_UNIT ? static_cast<size_t>(ExactShiftJisOfUnit(static_cast<uint16_t>(character), encoded)) : 0;
        if (written + made + 1 > size)
            break;
        memcpy(out + written, encoded, made);
        written += made;
    }
    out[written] = '\0';
    if (toCharacters == NO_CONVERTER)
        return false;
    iconv_close(toCharacters);
    return true;
}
