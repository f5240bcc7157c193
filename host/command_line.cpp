#include "command_line.h"

namespace {

const char QUOTE = '"';
const char BLANK = ' ';
const char DASH = '-';
const char SLASH = '/';
const char COLON = ':';
const unsigned char LAST_BLANK_BYTE = 0x20;
const DWORD DECIMAL_BASE = 10;

// Every byte above the blank, including all bytes of double-byte characters,
// belongs to a word of the command line.
bool IsWordByte(char byte)
{
    return static_cast<unsigned char>(byte) > LAST_BLANK_BYTE;
}

bool IsSwitchLead(char byte)
{
    return byte == BLANK || byte == DASH || byte == SLASH;
}

const char* SkipBlanks(const char* at)
{
    while (*at == BLANK)
        ++at;
    return at;
}

}  // namespace

const char* FindArgumentText(const char* commandLine)
{
    const char* at = commandLine;
    if (*at == QUOTE) {
        do {
            at = CharNextA(at);
        } while (*at != '\0' && *at != QUOTE);
        if (*at == QUOTE)
            ++at;
    } else {
        while (IsWordByte(*at))
            at = CharNextA(at);
    }
    while (*at != '\0' && !IsWordByte(*at))
        at = CharNextA(at);
    return at;
}

DWORD ParseDecimal(const char* text)
{
    DWORD value = 0;
    for (const char* at = text;; ++at) {
        // As a signed byte, everything from 0x80 up lies below "0".
        signed char digit = static_cast<signed char>(*at);
        if (digit < '0' || digit > '9')
            return value;
        value = value * DECIMAL_BASE + static_cast<DWORD>(digit - '0');
    }
}

void ReadSaverSwitch(const char* argumentText, SaverSwitch* result)
{
    result->kind = SWITCH_NONE;
    result->windowNumber = 0;
    const char* at = argumentText;
    while (IsSwitchLead(*at))
        ++at;
    switch (static_cast<signed char>(*at)) {
    case '\0':
        return;
    case 's':
    case 'S':
        result->kind = SWITCH_FULL_SCREEN;
        return;
    case 'p':
    case 'P':
    case 'l':
    case 'L':
        result->kind = SWITCH_PREVIEW;
        result->windowNumber = ParseDecimal(SkipBlanks(at + 1));
        return;
    case 'c':
    case 'C':
        result->kind = SWITCH_CONFIGURE;
        if (at[1] == COLON)
            result->windowNumber = ParseDecimal(at + 2);
        return;
    case 'a':
    case 'A':
        result->kind = SWITCH_PASSWORD;
        result->windowNumber = ParseDecimal(SkipBlanks(at + 1));
        return;
    default:
        result->kind = SWITCH_REJECTED;
        return;
    }
}
