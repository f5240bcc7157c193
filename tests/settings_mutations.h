// Generators of hostile input shared by the Windows harness and the native
// programs' tests: random bytes, and mutated settings files (the five keys in
// their sections with usual or hostile values, repeated or bare keys, stray
// lines, mixed line ends, cuts and stray bytes).
#ifndef TAMBLORN_SETTINGS_MUTATIONS_H
#define TAMBLORN_SETTINGS_MUTATIONS_H

#include <cstddef>
#include <random>
#include <string>

namespace settings_mutations {

const size_t LONG_VALUE_BYTES = 10 * 1024;

// Shift-JIS lead bytes: 81..9F and E0..FC.
inline char RandomLeadByte(std::mt19937& random)
{
    int lead = static_cast<int>(random() % 60);
    return static_cast<char>(lead < 31 ? 0x81 + lead : 0xE0 + lead - 31);
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
const char* const VALUES[] = {"0",
                              "1",
                              "2",
                              "6",
                              "12",
                              "13",
                              "14",
                              "32",
                              "127",
                              "128",
                              "200",
                              "255",
                              "300",
                              "-1",
                              "-56",
                              "-128",
                              "-300",
                              "2147483647",
                              "2147483648",
                              "4294967295",
                              "4294967296",
                              "99999999999",
                              "-2147483649",
                              "-99999999999",
                              "0x10",
                              " 12",
                              "12abc",
                              "+7",
                              "",
                              "\x8C\xDC\x8E\x9A\x91\x97\x82\xE8\x89\xCE",
                              "&&&&&&&&",
                              "A\tB",
                              "\"quoted\"",
                              "=",
                              "[FONT]",
                              "0123456789012345678901234567890123456789ABC"};

inline std::string RandomValue(std::mt19937& random)
{
    switch (random() % 8) {
    case 0:
        return std::string(LONG_VALUE_BYTES, "9A\x8C"[random() % 3]);
    case 1: {
        // Cut inside a double-byte character at the 39-byte limit.
        std::string text(38, 'A');
        return text + RandomLeadByte(random) + "B";
    }
    case 2:
        return RandomBytes(random, 40);
    default:
        return VALUES[random() % (sizeof VALUES / sizeof VALUES[0])];
    }
}

struct SettingsKey {
    const char* section;
    const char* key;
    const char* usual[3];
};
const SettingsKey SETTINGS_KEYS[] = {
    {"BURNING", "TEXT", {"\x8C\xDC\x8E\x9A\x91\x97\x82\xE8\x89\xCE", "Tamblorn", "A"}},
    {"FONT", "SIZE", {"32", "16", "64"}},
    {"FLAME", "LIMIT", {"6", "8", "12"}},
    {"FLAME", "LOOP", {"0", "1", "1"}},
    {"WHITCH", "FIRE", {"0", "1", "1"}},
};

// One line of the file that the profile functions may or may not make sense of.
inline std::string RandomLine(std::mt19937& random)
{
    switch (random() % 5) {
    case 0:
        return std::string("[") + SECTIONS[random() % (sizeof SECTIONS / sizeof SECTIONS[0])] + "]";
    case 1:
        return KEYS[random() % (sizeof KEYS / sizeof KEYS[0])];  // a key without "="
    case 2:
        return std::string(KEYS[random() % (sizeof KEYS / sizeof KEYS[0])]) + "=";
    case 3:
        return random() % 2 ? "; a comment" : RandomBytes(random, 30);
    default:
        return std::string(KEYS[random() % (sizeof KEYS / sizeof KEYS[0])]) + "=" + RandomValue(random);
    }
}

// A settings file with the five keys in their sections, their values usual or
// hostile, keys repeated or left without values, and lines of every kind in
// between; then line ends of one kind or mixed, and cuts and stray bytes.
inline std::string MutatedSettingsFile(std::mt19937& random)
{
    const char* lineEnd = random() % 3 == 0 ? "\n" : random() % 2 ? "\r\n" : "\r";
    std::string file;
    if (random() % 20 == 0)
        file += random() % 2 ? "\xEF\xBB\xBF" : "\xFF\xFE";
    for (const SettingsKey& key : SETTINGS_KEYS) {
        if (random() % 8 == 0)
            continue;
        file += std::string("[") + key.section + "]" + lineEnd;
        int repeats = random() % 6 == 0 ? 2 : 1;
        for (int i = 0; i < repeats; ++i) {
            std::string value = random() % 2 ? key.usual[random() % 3] : RandomValue(random);
            switch (random() % 10) {
            case 0:
                file += key.key;
                break;
            case 1:
                file += std::string(key.key) + " = " + value;
                break;
            default:
                file += std::string(key.key) + "=" + value;
                break;
            }
            file += random() % 10 ? lineEnd : "\r\n";
        }
        int strays = random() % 3 == 0 ? static_cast<int>(random() % 4) : 0;
        for (int i = 0; i < strays; ++i)
            file += RandomLine(random) + lineEnd;
    }
    int damages = static_cast<int>(random() % 4);
    for (int i = 0; i < damages && !file.empty(); ++i) {
        size_t at = random() % file.size();
        switch (random() % 3) {
        case 0:
            file.resize(at);  // truncated
            break;
        case 1:
            file.insert(at, 1, static_cast<char>(random() % 256));  // binary, NUL included
            break;
        default:
            file[at] = static_cast<char>(random() % 256);
            break;
        }
    }
    return file;
}

}  // namespace settings_mutations

#endif
