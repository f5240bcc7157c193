#include "command_line_model.h"

#include <cstdint>

namespace {

const unsigned char LAST_BLANK_BYTE = 0x20;
const uint64_t WINDOW_NUMBER_RANGE = 1ULL << 32;

const char* NextCharacter(const char* at)
{
    if (*at == '\0')
        return at;
    return IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1] != '\0' ? at + 2 : at + 1;
}

bool IsBlankByte(char byte)
{
    return static_cast<unsigned char>(byte) <= LAST_BLANK_BYTE;
}

const char* AfterSpaces(const char* at)
{
    while (*at == ' ')
        ++at;
    return at;
}

}  // namespace

const char* ExpectedArgumentText(const char* line)
{
    const char* at = line;
    if (*at == '"') {
        do
            at = NextCharacter(at);
        while (*at != '\0' && *at != '"');
        if (*at == '"')
            ++at;
    } else {
        while (*at != '\0' && !IsBlankByte(*at))
            at = NextCharacter(at);
    }
    while (*at != '\0' && IsBlankByte(*at))
        at = NextCharacter(at);
    return at;
}

DWORD ExpectedNumber(const char* at)
{
    uint64_t value = 0;
    for (; *at >= '0' && *at <= '9'; ++at)
        value = (value * 10 + static_cast<uint64_t>(*at - '0')) % WINDOW_NUMBER_RANGE;
    return static_cast<DWORD>(value);
}

// The first character that is not a blank, dash or slash decides; only s, c,
// p, l and a in either case are switches.
SaverSwitch ExpectedSwitch(const char* argumentText)
{
    const char* at = argumentText;
    while (*at == ' ' || *at == '-' || *at == '/')
        ++at;
    switch (*at) {
    case '\0':
        return {SWITCH_NONE, 0};
    case 's':
    case 'S':
        return {SWITCH_FULL_SCREEN, 0};
    case 'p':
    case 'P':
    case 'l':
    case 'L':
        return {SWITCH_PREVIEW, ExpectedNumber(AfterSpaces(at + 1))};
    case 'c':
    case 'C':
        return {SWITCH_CONFIGURE, at[1] == ':' ? ExpectedNumber(at + 2) : 0};
    case 'a':
    case 'A':
        return {SWITCH_PASSWORD, ExpectedNumber(AfterSpaces(at + 1))};
    default:
        return {SWITCH_REJECTED, 0};
    }
}

// A preview runs only in an existing window; the password switch only on the 9x family.
const char* ExpectedShown(const char* line, HWND parent)
{
    SaverSwitch request = ExpectedSwitch(ExpectedArgumentText(line));
    switch (request.kind) {
    case SWITCH_NONE:
    case SWITCH_CONFIGURE:
        return "dialog";
    case SWITCH_FULL_SCREEN:
        return "saver";
    case SWITCH_PREVIEW: {
        HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(request.windowNumber));
        if (request.windowNumber == static_cast<DWORD>(reinterpret_cast<UINT_PTR>(parent)))
            return "preview";
        return request.windowNumber != 0 && IsWindow(window) ? "any" : "rejected";
    }
    case SWITCH_PASSWORD:
    case SWITCH_REJECTED:
        break;
    }
    return "rejected";
}
