// Generators of hostile input shared by the Windows harness and the native
// programs' tests: random bytes, and mutated settings files (the five keys in
// their sections with usual or hostile values, repeated or bare keys, stray
// lines, mixed line ends, cuts and stray bytes).
#ifndef TAMBLORN_SETTINGS_MUTATIONS_H
#define TAMBLORN_SETTINGS_MUTATIONS_H

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

#include "saver_settings.h"

namespace settings_mutations {

const size_t LONG_VALUE_BYTES = 10 * 1024;

// Shift-JIS lead bytes: 81..9F and E0..FC.
inline char RandomLeadByte(std::mt19937& random)
{
    int lead = static_cast<int>(random() % 60);
    return static_cast<char>(lead < 31 ? 0x81 + lead : 0xE0 + lead - 31);
}

template <typename Item, size_t count> const Item& RandomItem(std::mt19937& random, const Item (&items)[count])
{
    return items[random() % count];
}

inline char RandomByte(std::mt19937& random)
{
    return static_cast<char>(1 + random() % 255);
}

inline std::string RandomBytes(std::mt19937& random, int most)
{
    std::string bytes;
    int length = static_cast<int>(random() % (most + 1));
    for (int i = 0; i < length; ++i)
        bytes += RandomByte(random);
    return bytes;
}

const char* const SECTIONS[] = {"BURNING", "FONT", "FLAME", "WHITCH", "burning", "Font", "UNKNOWN", ""};
const char* const KEYS[] = {"TEXT", "SIZE", "LIMIT", "LOOP", "FIRE", "size", "OTHER", ""};
// The last two: a lead byte without its second byte, before the line end or the file's end.
const char* const VALUES[] = {"0", "1", "2", "6", "12", "13", "14", "32", "127", "128", "200", "255", "300", "-1",
                              "-56", "-128", "-300", "2147483647", "2147483648", "4294967295", "4294967296",
                              "99999999999", "-2147483649", "-99999999999", "0x10", " 12", "12abc", "+7", "",
                              "\x8C\xDC\x8E\x9A\x91\x97\x82\xE8\x89\xCE", "&&&&&&&&", "A\tB", "\"quoted\"", "=",
                              "[FONT]", "0123456789012345678901234567890123456789ABC", "ab\x81", "\x81"};

// Characters of a Unicode-marked file: kana, kanji, Greek and Cyrillic, which code page 932 holds; Latin-1
// and private use, which it writes by best fit or as cells of its own; and characters it lacks.
const uint32_t UNICODE_RANGES[][2] = {{0x3041, 0x3096}, {0x4E00, 0x9FA5}, {0x0391, 0x0451},
                                      {0x00A0, 0x00FF}, {0xFF61, 0xFF9F}, {0xE000, 0xE757},
                                      {0xF8F0, 0xF8F3}, {0x2010, 0x2312}, {0x1F300, 0x1F5FF}};

inline std::string Utf8Of(uint32_t character)
{
    std::string bytes;
    int continuations = character < 0x80 ? 0 : character < 0x800 ? 1 : character < 0x10000 ? 2 : 3;
    const uint8_t leads[] = {0x00, 0xC0, 0xE0, 0xF0};
    bytes += static_cast<char>(leads[continuations] | character >> (6 * continuations));
    for (int i = continuations - 1; i >= 0; --i)
        bytes += static_cast<char>(0x80 | ((character >> (6 * i)) & 0x3F));
    return bytes;
}

inline std::string RandomUnicodeText(std::mt19937& random)
{
    std::string text;
    for (int i = static_cast<int>(random() % 12); i >= 0; --i) {
        const uint32_t* range = RandomItem(random, UNICODE_RANGES);
        text += Utf8Of(range[0] + random() % (range[1] - range[0] + 1));
    }
    return text;
}

// The file's UTF-8 as UTF-16; a byte that starts no character stands for itself.
inline std::string Utf16Of(const std::string& utf8, bool bigEndian)
{
    std::string units;
    auto unit = [&](uint32_t value) {
        units += static_cast<char>(bigEndian ? value >> 8 : value & 0xFF);
        units += static_cast<char>(bigEndian ? value & 0xFF : value >> 8);
    };
    for (size_t at = 0; at < utf8.size();) {
        uint8_t lead = static_cast<uint8_t>(utf8[at]);
        int continuations = lead >= 0xF0 && lead <= 0xF4 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
        uint32_t value = lead & (0x3F >> continuations);
        int taken = 0;
        for (; taken < continuations && at + 1 + taken < utf8.size(); ++taken) {
            uint8_t byte = static_cast<uint8_t>(utf8[at + 1 + taken]);
            if ((byte & 0xC0) != 0x80)
                break;
            value = value << 6 | (byte & 0x3F);
        }
        if (taken < continuations)
            value = lead;
        at += 1 + (taken == continuations ? taken : 0);
        if (value >= 0x10000) {
            unit(0xD800 + ((value - 0x10000) >> 10));
            value = 0xDC00 + (value & 0x3FF);
        }
        unit(value);
    }
    return units;
}

inline std::string RandomValue(std::mt19937& random, bool unicode = false)
{
    if (unicode && random() % 2)
        return RandomUnicodeText(random);
    switch (random() % 8) {
    case 0:
        return std::string(LONG_VALUE_BYTES, "9A\x8C"[random() % 3]);
    case 1:  // cut inside a double-byte character at the 39-byte limit
        return std::string(38, 'A') + RandomLeadByte(random) + "B";
    case 2:
        return RandomBytes(random, 40);
    default:
        return RandomItem(random, VALUES);
    }
}

// Usual values of the five settings, in the order of the settings table.
const char* const USUAL_VALUES[SETTINGS_VALUES][3] = {
    {DEFAULT_TEXT, "Tamblorn", "A"}, {"32", "16", "64"}, {"0", "1", "1"}, {"6", "8", "12"}, {"0", "1", "1"}};

// One line of the file that the profile functions may or may not make sense of.
inline std::string RandomLine(std::mt19937& random, bool unicode)
{
    switch (random() % 5) {
    case 0:
        return std::string("[") + RandomItem(random, SECTIONS) + "]";
    case 1:
        return RandomItem(random, KEYS);  // a key without "="
    case 2:
        return std::string(RandomItem(random, KEYS)) + "=";
    case 3:
        return random() % 2 ? "; a comment" : RandomBytes(random, 30);
    default:
        return std::string(RandomItem(random, KEYS)) + "=" + RandomValue(random, unicode);
    }
}

// A settings file with the five keys in their sections, their values usual or
// hostile, keys repeated or left without values, and lines of every kind in
// between; then line ends of one kind or mixed, and cuts and stray bytes. One in ten is marked as UTF-8 or
// UTF-16, its values then drawn with Unicode characters too.
inline std::string MutatedSettingsFile(std::mt19937& random)
{
    const char* lineEnd = random() % 3 == 0 ? "\n" : random() % 2 ? "\r\n" : "\r";
    std::string file;
    const char* const marks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    int mark = random() % 10 == 0 ? static_cast<int>(random() % 3) : -1;
    for (int value = 0; value < SETTINGS_VALUES; ++value) {
        const SettingsKey& key = settingsKeys[value];
        if (random() % 8 == 0)
            continue;
        file += std::string("[") + key.section + "]" + lineEnd;
        int repeats = random() % 6 == 0 ? 2 : 1;
        for (int i = 0; i < repeats; ++i) {
            std::string text = random() % 2 ? USUAL_VALUES[value][random() % 3] : RandomValue(random, mark >= 0);
            // A bare key, blanks around "=", or the usual line.
            const int form = static_cast<int>(random() % 10);
            file += std::string(key.key) + (form == 0 ? "" : (form == 1 ? " = " : "=") + text);
            file += random() % 10 ? lineEnd : "\r\n";
        }
        int strays = random() % 3 == 0 ? static_cast<int>(random() % 4) : 0;
        for (int i = 0; i < strays; ++i)
            file += RandomLine(random, mark >= 0) + lineEnd;
    }
    if (mark > 0)
        file = Utf16Of(file, mark == 2);
    if (mark >= 0)
        file = marks[mark] + file;
    int damages = static_cast<int>(random() % 4);
    for (int i = 0; i < damages && !file.empty(); ++i) {
        size_t at = random() % file.size();
        const uint32_t damage = random() % 3;  // cut, a byte put in (NUL included) or a byte changed
        if (damage == 0)
            file.resize(at);
        else if (damage == 1)
            file.insert(at, 1, static_cast<char>(random() % 256));
        else
            file[at] = static_cast<char>(random() % 256);
    }
    return file;
}

}  // namespace settings_mutations

#endif
