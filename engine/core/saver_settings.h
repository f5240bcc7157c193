// The five user settings, their defaults and limits, and a reader of the
// settings file's format that needs no platform.
#ifndef TAMBLORN_SAVER_SETTINGS_H
#define TAMBLORN_SAVER_SETTINGS_H

#include <cstddef>
#include <cstdint>

const int SETTINGS_TEXT_BYTES = 40;  // 39 bytes of text and the terminating NUL
const int DEFAULT_FONT_SIZE = 32;
const int DEFAULT_FLAME_LIMIT = 12;
const int DEFAULT_LOOP = 0;
const int LARGEST_FONT_SIZE = 127;  // the largest a signed byte holds
const char DEFAULT_TEXT[] = "\x8C\xDC\x8E\x9A\x91\x97\x82\xE8\x89\xCE";  // 五字送り火
// The file's name has no extension: the string table's longer name is read
// through a 13-byte buffer.
const char SETTINGS_FILE_NAME[] = "TamblornScrS";

// The text is in this code page whatever the system's.
const unsigned SETTINGS_CODE_PAGE = 932;
// The flame limits the dialog and the options offer: weak, medium, strong.
const int FLAME_STRENGTH_COUNT = 3;
const int32_t FLAME_STRENGTHS[FLAME_STRENGTH_COUNT] = {6, 8, 12};
const size_t STRENGTHS_TEXT_BYTES = 96;  // the strengths written out, with room for a manual's markup

enum FireMode { FIRE_TEXT = 0, FIRE_BONFIRE = 1 };

struct SaverSettings {
    char text[SETTINGS_TEXT_BYTES];  // Shift-JIS bytes, NUL-terminated
    int8_t fontSize;
    int32_t flameLimit;
    int32_t loop;
    int32_t fireMode;
};

// The record before any file is read.
constexpr SaverSettings STARTING_SETTINGS = {"", DEFAULT_FONT_SIZE, DEFAULT_FLAME_LIMIT, DEFAULT_LOOP, FIRE_TEXT};

// The five values of the settings file: where each lives, its default, the
// range the saver burns with, and its place in the record.
enum SettingsValue { VALUE_TEXT, VALUE_FONT_SIZE, VALUE_FIRE_MODE, VALUE_FLAME_LIMIT, VALUE_LOOP, SETTINGS_VALUES };

const int SETTINGS_NAME_BYTES = 8;  // the longest section or key name and its NUL

struct SettingsKey {
    char section[SETTINGS_NAME_BYTES];
    char key[SETTINGS_NAME_BYTES];
    int32_t defaultNumber;  // the text's default is DEFAULT_TEXT
    int32_t lowest;
    int32_t highest;
};

// In the order the saver writes them.
extern const SettingsKey settingsKeys[SETTINGS_VALUES];

int32_t SettingsNumber(const SaverSettings& settings, SettingsValue value);
// The font size keeps the number's low byte, as a signed byte.
void SetSettingsNumber(SaverSettings* settings, SettingsValue value, int32_t number);
// How many bytes of the text's start, at most `limit`, end on a whole character.
size_t WholeCharacterBytes(const char* text, size_t limit);

// Fills every field from the bytes of a settings file (null and 0 for no
// file), each missing or unreadable key giving its default, by the rules the
// Windows profile functions apply to the same file under code page 932: a
// Unicode-marked file's characters become their Shift-JIS bytes.
void ReadSettingsFile(const char* bytes, size_t length, SaverSettings* settings);
// The same, except that a file without a byte-order mark whose bytes are all valid UTF-8, and not all
// ASCII, is read as UTF-8, as if it had the mark: that is what an editor on Linux writes. Bytes that could be
// either are thus UTF-8; Japanese in Shift-JIS is hardly ever valid UTF-8, as its most common lead bytes
// (81-9F) never start a UTF-8 character.
void ReadSettingsFileTakingUtf8(const char* bytes, size_t length, SaverSettings* settings);
// The same for bytes in Shift-JIS, marked or not: for a platform that turns a Unicode-marked file into
// Shift-JIS itself, and so needs no table of the code page. The system reads names and numbers in Unicode and
// hands the text out by best fit: for a converted file `bytes` has "?" where a character became ASCII by best
// fit, and `textBytes` (null for a file in Shift-JIS) the same bytes with that ASCII.
void ReadShiftJisSettingsFile(const char* bytes, const char* textBytes, size_t length, SaverSettings* settings);

enum UnicodeMark { MARK_NONE, MARK_UTF8, MARK_UTF16_LITTLE, MARK_UTF16_BIG };
// The byte-order mark a settings file starts with, and its length in `markBytes`.
UnicodeMark SettingsFileMark(const char* bytes, size_t length, size_t* markBytes);

// The settings file's bytes with one key set, by the reader's rules: the value of the key the
// reader would find is replaced, else the key is added at the end of the first section of the
// name, else the section and key are added at the end of the file. `out` needs
// SettingsFileRoom bytes. A Unicode-marked file (the saver never writes one) is left alone: false.
size_t SettingsFileRoom(size_t length, const char* section, const char* key, const char* value);
bool SetSettingsFileKey(const char* bytes, size_t length, const char* section, const char* key, const char* value,
                        char* out, size_t* outLength);

// The text as the settings file's value, in `quoted` (QUOTED_TEXT_BYTES): its characters as the profile
// functions write them under code page 932 (a lead byte that ends the text is left out, one before a byte that
// is no second byte becomes a middle dot), so that the value reads back as itself; inside double quotes where
// the reader would strip blanks, quotes or the double-byte blank from its ends.
const int QUOTED_TEXT_BYTES = SETTINGS_TEXT_BYTES + 2;
const char* QuotedSettingsText(const char* text, char* quoted);
// The settings file's bytes with all five values set, in the order the Windows program sets them:
// malloc'd (the caller frees them), null for a Unicode-marked file or without memory.
char* WithSettingsWritten(const char* bytes, size_t length, const SaverSettings& settings, size_t* outLength);
// The same with the text's value given in the file's own encoding: with `utf8`, the file is valid UTF-8
// throughout, and its lines are found by its ASCII bytes alone.
char* WithSettingsAndTextWritten(const char* bytes, size_t length, const SaverSettings& settings,
                                 const char* textValue, bool utf8, size_t* outLength);
// The writer that goes with ReadSettingsFileTakingUtf8: a file that reader reads as UTF-8, and one of valid
// UTF-8 behind its mark, gets its text in UTF-8, each character the code page's own (one that has none is left
// out), and keeps its mark; any other file as above.
char* WithSettingsWrittenTakingUtf8(const char* bytes, size_t length, const SaverSettings& settings,
                                    size_t* outLength);

// The double-byte characters of the file's text start with these bytes.
bool IsShiftJisLeadByte(uint8_t byte);

#endif
