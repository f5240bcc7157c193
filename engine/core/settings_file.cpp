// The settings file read without the platform. The rules are those of the
// profile functions: a line ends at an LF or a CR; blanks (tab to CR, ^Z, space) are
// trimmed around lines, section and key names and values; a section runs from "[" to the last
// "]" of its line; section and key names match without regard to case; only
// the first section of a name and the first key of a name in it count; a key
// without "=" has no value; one pair of enclosing quotes is dropped; numbers
// are read as the system reads them (sign, 0x/0o/0b, 32-bit wrap-around).
#include "saver_settings.h"

#include <cstdlib>
#include <cstring>

namespace {

const char UTF8_MARK[] = "\xEF\xBB\xBF";
const size_t UTF8_MARK_BYTES = 3;
const char UTF16_LITTLE_MARK[] = "\xFF\xFE";
const char UTF16_BIG_MARK[] = "\xFE\xFF";
const size_t UTF16_MARK_BYTES = 2;
const uint8_t END_OF_FILE_MARK = 0x1A;
const int TEXT_CHARACTERS = SETTINGS_TEXT_BYTES - 1;
// The saver reads the text with room for a pair of enclosing quotes, so that a quoted text of full
// length comes back whole; it then keeps whole characters within 39 bytes.
const int ENCLOSING_QUOTES = 2;
const int NUMBER_CHARACTERS = 29;  // what the system's 30-character buffer holds

struct Span {
    const char* start;
    const char* end;
};

// The file is Shift-JIS: a lead byte and the byte after it are one character,
// whatever that byte is but a NUL, so a double-byte character never ends a line or a name.
const char* NextCharacter(const char* at, const char* end)
{
    return at + (IsShiftJisLeadByte(static_cast<uint8_t>(*at)) && at + 1 < end && at[1] != '\0' ? 2 : 1);
}

// What the profile functions hand out, and write, for a lead byte without a second byte of the code page's
// range: the middle dot.
const char NO_CHARACTER_MARK[] = "\x81\x45";
const size_t NO_CHARACTER_MARK_BYTES = 2;

bool IsShiftJisTrailByte(uint8_t byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// A lead byte at the end of its span, or before a byte that is no second byte.
bool IsBrokenCharacter(const char* at, const char* next)
{
    return IsShiftJisLeadByte(static_cast<uint8_t>(*at)) &&
           (next == at + 1 || !IsShiftJisTrailByte(static_cast<uint8_t>(at[1])));
}

bool IsSingle(const char* at, const char* end, char wanted)
{
    return NextCharacter(at, end) == at + 1 && *at == wanted;
}

bool IsBlank(const char* at, const char* end)
{
    uint8_t byte = static_cast<uint8_t>(*at);
    return NextCharacter(at, end) == at + 1 &&
           ((byte >= '\t' && byte <= '\r') || byte == END_OF_FILE_MARK || byte == ' ');
}

// The first character equal to `wanted`, or null.
const char* FindSingle(Span span, char wanted)
{
    for (const char* at = span.start; at < span.end; at = NextCharacter(at, span.end))
        if (IsSingle(at, span.end, wanted))
            return at;
    return nullptr;
}

const char* FindLineEnd(Span span)
{
    for (const char* at = span.start; at < span.end; at = NextCharacter(at, span.end))
        if (IsSingle(at, span.end, '\n') || IsSingle(at, span.end, '\r'))
            return at;
    return nullptr;
}

// The start of the last character equal to `wanted`, or null.
const char* FindLastSingle(Span span, char wanted)
{
    const char* found = nullptr;
    for (const char* at = span.start; at < span.end; at = NextCharacter(at, span.end))
        if (IsSingle(at, span.end, wanted))
            found = at;
    return found;
}

Span Trimmed(Span span)
{
    while (span.start < span.end && IsBlank(span.start, span.end))
        span.start = NextCharacter(span.start, span.end);
    const char* lastEnd = span.start;
    for (const char* at = span.start; at < span.end;) {
        const char* next = NextCharacter(at, span.end);
        if (!IsBlank(at, span.end))
            lastEnd = next;
        at = next;
    }
    span.end = lastEnd;
    return span;
}

char Folded(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A NUL ends a name as it ends the system's strings.
bool NameIs(Span name, const char* wanted)
{
    const char* at = name.start;
    for (; *wanted; ++wanted, ++at)
        if (at == name.end || Folded(*at) != Folded(*wanted))
            return false;
    return at == name.end || *at == '\0';
}

struct Lookup {
    const char* section;
    const char* key;
    bool found;
    bool hasValue;
    Span value;
    Span line;               // the key's line, trimmed
    const char* sectionEnd;  // past the line end of the section's last non-blank line; null without the section
};

// Finds the value of a key in the first section of its name.
void FindValue(Span file, Lookup* lookup)
{
    bool inSection = false;
    bool sectionSeen = false;
    const char* next = file.start;
    while (next < file.end) {
        const char* lineEnd = FindLineEnd({next, file.end});
        Span line = Trimmed({next, lineEnd ? lineEnd : file.end});
        next = lineEnd ? lineEnd + 1 : file.end;
        if (line.start == line.end)
            continue;
        if (IsSingle(line.start, line.end, '[')) {
            const char* close = FindLastSingle(line, ']');
            if (close) {
                // Leaving the first section of the name ends the search.
                if (inSection)
                    return;
                inSection = !sectionSeen && NameIs(Trimmed({line.start + 1, close}), lookup->section);
                sectionSeen = sectionSeen || inSection;
                if (inSection)
                    lookup->sectionEnd = next;
                continue;
            }
        }
        if (!inSection)
            continue;
        lookup->sectionEnd = next;
        const char* equals = FindSingle(line, '=');
        if (!NameIs(Trimmed({line.start, equals ? equals : line.end}), lookup->key))
            continue;
        lookup->found = true;
        lookup->line = line;
        lookup->hasValue = equals != nullptr;
        if (equals)
            lookup->value = Trimmed({equals + 1, line.end});
        return;
    }
}

int CountCharacters(Span span)
{
    int count = 0;
    for (const char* at = span.start; at < span.end; at = NextCharacter(at, span.end))
        ++count;
    return count;
}

// The value as the system hands it out: up to the first NUL, at most `limit`
// characters, one pair of enclosing quotes dropped.
Span ValueCharacters(Span value, int limit)
{
    const char* nul = FindSingle(value, '\0');
    if (nul)
        value.end = nul;
    const char* last = FindLastSingle(value, value.start < value.end ? *value.start : '\0');
    // An empty value may end the file: nothing past it is read.
    bool quoted = last && last != value.start && last + 1 == value.end &&
                  (IsSingle(value.start, value.end, '"') || IsSingle(value.start, value.end, '\''));
    if (quoted)
        ++value.start;
    int total = CountCharacters(value);
    int kept = total < limit ? total : limit;
    // The closing quote goes only when the whole value fits the buffer; when it
    // was cut off already, the last character kept goes in its place.
    if (quoted && total <= limit + 1 && kept > 0)
        --kept;
    const char* at = value.start;
    for (int i = 0; i < kept; ++i)
        at = NextCharacter(at, value.end);
    return {value.start, at};
}

void ReadText(Span file, const char* textBytes, SaverSettings* settings)
{
    Lookup lookup = {settingsKeys[VALUE_TEXT].section, settingsKeys[VALUE_TEXT].key, false, false, {}, {}, nullptr};
    FindValue(file, &lookup);
    Span text = {DEFAULT_TEXT, DEFAULT_TEXT + sizeof DEFAULT_TEXT - 1};
    if (lookup.found && lookup.hasValue)
        text = ValueCharacters(lookup.value, TEXT_CHARACTERS + ENCLOSING_QUOTES);
    const char* from = text.start;
    if (textBytes && lookup.found && lookup.hasValue)
        from = textBytes + (text.start - file.start);
    // Only whole characters within 39 bytes are kept.
    memset(settings->text, 0, sizeof settings->text);
    size_t length = 0;
    for (const char* at = text.start; at < text.end;) {
        const char* next = NextCharacter(at, text.end);
        bool broken = IsBrokenCharacter(at, next);
        size_t bytes = broken ? NO_CHARACTER_MARK_BYTES : static_cast<size_t>(next - at);
        if (length + bytes > static_cast<size_t>(TEXT_CHARACTERS))
            break;
        memcpy(settings->text + length, broken ? NO_CHARACTER_MARK : from + (at - text.start), bytes);
        length += bytes;
        at = next;
    }
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    return -1;
}

uint32_t ParseNumber(Span number)
{
    const char* at = number.start;
    while (at < number.end && static_cast<uint8_t>(*at) <= ' ')
        ++at;
    bool negative = false;
    if (at < number.end && (*at == '+' || *at == '-'))
        negative = *at++ == '-';
    uint32_t base = 10;
    if (number.end - at >= 2 && at[0] == '0') {
        const char prefixes[] = "box";
        const uint32_t bases[] = {2, 8, 16};
        for (int i = 0; i < 3; ++i)
            if (at[1] == prefixes[i]) {
                base = bases[i];
                at += 2;
                break;
            }
    }
    uint32_t total = 0;
    for (; at < number.end; ++at) {
        int digit = DigitValue(*at);
        if (digit < 0 || static_cast<uint32_t>(digit) >= base)
            break;
        total = total * base + static_cast<uint32_t>(digit);
    }
    return negative ? 0u - total : total;
}

int32_t ReadNumber(Span file, const char* section, const char* key, int32_t fallback)
{
    Lookup lookup = {section, key, false, false, {}, {}, nullptr};
    FindValue(file, &lookup);
    if (!lookup.found || !lookup.hasValue)
        return fallback;
    Span number = ValueCharacters(lookup.value, NUMBER_CHARACTERS);
    if (number.start == number.end)
        return fallback;
    return static_cast<int32_t>(ParseNumber(number));
}

bool StartsWith(Span file, const char* mark, size_t markBytes)
{
    return static_cast<size_t>(file.end - file.start) >= markBytes && memcmp(file.start, mark, markBytes) == 0;
}

const char LINE_END[] = "\r\n";
const size_t LINE_END_BYTES = 2;
// A new section's line and key's line, and a line end for a last line without one: "\r\n[]\r\n=\r\n".
const size_t NEW_LINES_BYTES = 3 * LINE_END_BYTES + 3;

// Whether the reader takes `at` for the start of a line: the file's start or just past a line end. A lead
// byte takes the CR or LF after it as its second byte, so the last byte alone does not tell.
bool StartsLine(Span file, const char* at)
{
    const char* last = nullptr;
    for (const char* character = file.start; character < at; character = NextCharacter(character, file.end))
        last = character;
    return !last || IsSingle(last, file.end, '\n') || IsSingle(last, file.end, '\r');
}

// A missing file has no bytes and no address: nothing is copied from it.
size_t Append(char* out, size_t at, const char* start, const char* end)
{
    if (end > start)
        memcpy(out + at, start, static_cast<size_t>(end - start));
    return at + static_cast<size_t>(end - start);
}

size_t AppendText(char* out, size_t at, const char* text)
{
    return Append(out, at, text, text + strlen(text));
}

}  // namespace

size_t SettingsFileRoom(size_t length, const char* section, const char* key, const char* value)
{
    return length + strlen(section) + strlen(key) + strlen(value) + NEW_LINES_BYTES;
}

UnicodeMark SettingsFileMark(const char* bytes, size_t length, size_t* markBytes)
{
    Span file = {bytes, bytes ? bytes + length : bytes};
    *markBytes = UTF16_MARK_BYTES;
    if (StartsWith(file, UTF16_LITTLE_MARK, UTF16_MARK_BYTES))
        return MARK_UTF16_LITTLE;
    if (StartsWith(file, UTF16_BIG_MARK, UTF16_MARK_BYTES))
        return MARK_UTF16_BIG;
    *markBytes = StartsWith(file, UTF8_MARK, UTF8_MARK_BYTES) ? UTF8_MARK_BYTES : 0;
    return *markBytes ? MARK_UTF8 : MARK_NONE;
}

namespace {

// Sets the key in `file`, its lines found in `lines`: the file itself, or a copy of it laid out alike.
void SetKeyByLines(Span file, Span lines, const char* section, const char* key, const char* value, char* out,
                   size_t* outLength)
{
    Lookup lookup = {section, key, false, false, {}, {}, nullptr};
    FindValue(lines, &lookup);
    // The file is copied up to `keep`, the key's line goes in, and the rest follows from `resume`.
    const char* keep = lines.end;
    if (lookup.found)
        keep = lookup.line.start;
    else if (lookup.sectionEnd)
        keep = lookup.sectionEnd + (lookup.sectionEnd < lines.end && lookup.sectionEnd[-1] == '\r' &&
                                    *lookup.sectionEnd == '\n');
    const char* resume = lookup.found ? lookup.line.end : keep;
    bool lineStarts = StartsLine(lines, keep);
    keep = file.start + (keep - lines.start);
    resume = file.start + (resume - lines.start);
    size_t at = Append(out, 0, file.start, keep);
    if (!lookup.found && !lineStarts)
        at = AppendText(out, at, LINE_END);
    if (!lookup.found && !lookup.sectionEnd) {
        at = AppendText(out, AppendText(out, at, "["), section);
        at = AppendText(out, AppendText(out, at, "]"), LINE_END);
    }
    at = AppendText(out, AppendText(out, AppendText(out, at, key), "="), value);
    if (!lookup.found)
        at = AppendText(out, at, LINE_END);
    *outLength = Append(out, at, resume, file.end);
}

}  // namespace

bool SetSettingsFileKey(const char* bytes, size_t length, const char* section, const char* key, const char* value,
                        char* out, size_t* outLength)
{
    size_t markBytes;
    if (SettingsFileMark(bytes, length, &markBytes) != MARK_NONE)
        return false;
    Span file = {bytes, bytes ? bytes + length : bytes};
    SetKeyByLines(file, file, section, key, value, out, outLength);
    return true;
}

namespace {

const char QUOTE = '"';
const char WIDE_BLANK[] = "\x81\x40";
const size_t WIDE_BLANK_BYTES = 2;
const int NUMBER_BYTES = 12;  // "-2147483648" and its NUL
const uint32_t DECIMAL_BASE = 10;

bool IsStrippedByte(char at)
{
    const unsigned char byte = static_cast<unsigned char>(at);
    return byte <= ' ' || byte == QUOTE || byte == '\'';
}

const char* Decimal(int32_t number, char* digits)
{
    char* at = digits + NUMBER_BYTES - 1;
    *at = '\0';
    uint32_t magnitude = number < 0 ? 0u - static_cast<uint32_t>(number) : static_cast<uint32_t>(number);
    do {
        *--at = static_cast<char>('0' + magnitude % DECIMAL_BASE);
        magnitude /= DECIMAL_BASE;
    } while (magnitude);
    if (number < 0)
        *--at = '-';
    return at;
}

// In a file of valid UTF-8 every byte beyond ASCII belongs to a character that is no line end, blank, bracket,
// quote or "=": its lines are found in a copy where each such byte is one that starts no double-byte character.
const char UTF8_LAYOUT_BYTE = '\xA0';
const uint8_t ASCII_END = 0x80;

// Replaces *bytes with a copy that has the key set; false, leaving it, when that cannot be done.
bool SetKeyInCopy(char** bytes, size_t* length, const SettingsKey& key, const char* value, bool utf8)
{
    char* out = static_cast<char*>(malloc(SettingsFileRoom(*length, key.section, key.key, value)));
    char* lines = utf8 ? static_cast<char*>(malloc(*length ? *length : 1)) : *bytes;
    bool set = out && lines;
    for (size_t at = 0; set && utf8 && at < *length; ++at)
        lines[at] = static_cast<uint8_t>((*bytes)[at]) < ASCII_END ? (*bytes)[at] : UTF8_LAYOUT_BYTE;
    if (set)
        SetKeyByLines({*bytes, *bytes + *length}, {lines, lines + *length}, key.section, key.key, value, out, length);
    if (utf8)
        free(lines);
    free(set ? *bytes : out);
    if (set)
        *bytes = out;
    return set;
}

}  // namespace

const char* QuotedSettingsText(const char* text, char* quoted)
{
    // The characters as the profile functions write them under code page 932.
    char* whole = quoted + 1;
    size_t length = 0;
    for (const char* at = text; *at != '\0';) {
        const char* next = NextCharacter(at, at + 2);
        if (next == at + 1 && IsShiftJisLeadByte(static_cast<uint8_t>(*at)))
            break;
        bool broken = IsBrokenCharacter(at, next);
        memcpy(whole + length, broken ? NO_CHARACTER_MARK : at, static_cast<size_t>(next - at));
        length += static_cast<size_t>(next - at);
        at = next;
    }
    whole[length] = '\0';
    const bool wideBlankAtAnEnd =
        length >= WIDE_BLANK_BYTES && (memcmp(whole, WIDE_BLANK, WIDE_BLANK_BYTES) == 0 ||
                                       memcmp(whole + length - WIDE_BLANK_BYTES, WIDE_BLANK, WIDE_BLANK_BYTES) == 0);
    if (length == 0 || !(IsStrippedByte(whole[0]) || IsStrippedByte(whole[length - 1]) || wideBlankAtAnEnd))
        return whole;
    quoted[0] = QUOTE;
    quoted[length + 1] = QUOTE;
    quoted[length + 2] = '\0';
    return quoted;
}

char* WithSettingsWritten(const char* bytes, size_t length, const SaverSettings& settings, size_t* outLength)
{
    char quoted[QUOTED_TEXT_BYTES];
    return WithSettingsAndTextWritten(bytes, length, settings, QuotedSettingsText(settings.text, quoted), false,
                                      outLength);
}

char* WithSettingsAndTextWritten(const char* bytes, size_t length, const SaverSettings& settings,
                                 const char* textValue, bool utf8, size_t* outLength)
{
    size_t markBytes;
    if (SettingsFileMark(bytes, length, &markBytes) != MARK_NONE)
        return nullptr;
    char* written = static_cast<char*>(malloc(length ? length : 1));
    if (written && length)
        memcpy(written, bytes, length);
    bool set = written && SetKeyInCopy(&written, &length, settingsKeys[VALUE_TEXT], textValue, utf8);
    for (int value = VALUE_FONT_SIZE; set && value < SETTINGS_VALUES; ++value) {
        char digits[NUMBER_BYTES];
        set = SetKeyInCopy(&written, &length, settingsKeys[value],
                           Decimal(SettingsNumber(settings, static_cast<SettingsValue>(value)), digits), utf8);
    }
    if (!set) {
        free(written);
        return nullptr;
    }
    *outLength = length;
    return written;
}

void ReadShiftJisSettingsFile(const char* bytes, const char* textBytes, size_t length, SaverSettings* settings)
{
    Span file = {bytes, bytes ? bytes + length : bytes};
    ReadText(file, textBytes, settings);
    for (int value = VALUE_FONT_SIZE; value < SETTINGS_VALUES; ++value) {
        const SettingsKey& key = settingsKeys[value];
        SetSettingsNumber(settings, static_cast<SettingsValue>(value),
                          ReadNumber(file, key.section, key.key, key.defaultNumber));
    }
}
