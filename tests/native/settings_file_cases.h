// Settings files with the record the profile functions make of each: the
// core's reader is held to them natively, the profile functions under Wine.
#ifndef TAMBLORN_SETTINGS_FILE_CASES_H
#define TAMBLORN_SETTINGS_FILE_CASES_H

#include <gtest/gtest.h>

#include <string>

#include "saver_settings.h"

struct SettingsFileCase {
    std::string file;
    std::string text;
    int fontSize;
    int flameLimit;
    int loop;
    int fireMode;
};

inline const SettingsFileCase SETTINGS_FILE_CASES[] = {
    {"", DEFAULT_TEXT, 32, 12, 0, 0},
    {"[FONT]\r\nSIZE=300\r\n[FLAME]\r\nLIMIT=6\r\nLOOP=1\r\n[WHITCH]\r\nFIRE=1\r\n", DEFAULT_TEXT, 44, 6, 1, 1},
    {"[FONT]\nSIZE=200\n[BURNING]\nTEXT=\n", "", -56, 12, 0, 0},
    {"[FONT]\nSIZE=8\n[BURNING]\nTEXT=", "", 8, 12, 0, 0},
    {"[burning]\rtext = Tamblorn \r[font]\rsize\r", "Tamblorn", 32, 12, 0, 0},
    {"[BURNING]\nTEXT=\"  abc  \"\n", "  abc  ", 32, 12, 0, 0},
    {"[BURNING]\nTEXT='x'\n", "x", 32, 12, 0, 0},
    // The saver quotes a text with blanks or quotes at its ends; at full length it still comes back whole.
    {"[BURNING]\nTEXT=\" " + std::string(37, '7') + " \"\n", " " + std::string(37, '7') + " ", 32, 12, 0, 0},
    {"[BURNING]\nTEXT=0123456789012345678901234567890123456789ABC\n", "012345678901234567890123456789012345678", 32,
     12, 0, 0},
    // A double-byte character that would end past the 39th byte is left out whole.
    {"[BURNING]\nTEXT=" + std::string(38, 'A') + "\x89\xCE\n", std::string(38, 'A'), 32, 12, 0, 0},
    // Its second byte may look like a bracket, and is none.
    {"[BURNING]\nTEXT=[\x81]\n[FONT\x81]\nSIZE=16\n", "[\x81]", 32, 12, 0, 0},
    {std::string("\xFF\xFE[\0F\0O\0N\0T\0]\0\n\0S\0I\0Z\0E\0=\0\x32\0\x34\0", 30), DEFAULT_TEXT, 24, 12, 0, 0},
    {"[FLAME]\nLOOP=1\n[FLAME]\nLIMIT=6\nLIMIT=8\n", DEFAULT_TEXT, 32, 12, 1, 0},
    {"[FLAME]\nLIMIT=8\nLIMIT=6\n[FONT]\nSIZE=0x10\n[WHITCH]\nFIRE=12abc\n", DEFAULT_TEXT, 16, 8, 0, 12},
    {"[FLAME]\nLIMIT=4294967296\nLOOP=-1\n[FONT]\nSIZE=+7\n[WHITCH]\nFIRE=\"\"\n", DEFAULT_TEXT, 7, 0, -1, 0},
    // A line that starts a section without closing it is a line of the section before.
    {"\xEF\xBB\xBF[ FLAME ]\nLIMIT=6\n[FLAME\nLOOP=1\n", DEFAULT_TEXT, 32, 6, 1, 0},
    // A lead byte takes the line end after it: the last line is not ended.
    {"[BURNING]\r\nTEXT=abc\r\nNOTE=\x82\n", "abc", 32, 12, 0, 0},
    // A Unicode-marked file's characters come out as code page 932 writes them: п 火, é by best fit, the rest "?"
    // (a character beyond the units is two); a bad UTF-8 stretch is one "?", a cut one takes the rest.
    {"\xEF\xBB\xBF[BURNING]\r\nTEXT=\xD0\xBF\xE7\x81\xAB\xC3\xA9\xF0\x9F\x94\xA5\xE2\x82\xAC\xEF\xBD\xB6\r\n",
     "\x84\x81\x89\xCE\x65???\xB6", 32, 12, 0, 0},
    {"\xEF\xBB\xBF[BURNING]\nTEXT=a\xED\xA0\x80\x62\xE0\x80\x63\xC0\x64\n[FONT]\nSIZE=8\xE3\x81", "a??b?c?d", 8, 12,
     0, 0},
    // Names and numbers are read in Unicode, where ³ and the soft hyphen are no digit and no sign; the text has ³ as 3.
    {"\xEF\xBB\xBF[FONT]\nSIZE=\xC2\xB3\n[FLAME]\nLIMIT=\xC2\xAD\x35\n[BURNING]\nTEXT=\xC2\xB3\xC3\xA9\n", "3e", 0, 0, 0, 0},
    {std::string("\xFF\xFE[\0B\0U\0R\0N\0I\0N\0G\0]\0\n\0T\0E\0X\0T\0=\0\x3F\x04\x6B\x70\x3D\xD8\x25\xDD", 40),
     "\x84\x81\x89\xCE??", 32, 12, 0, 0},
    {std::string("\xFE\xFF\0[\0F\0L\0A\0M\0E\0]\0\n\0L\0O\0O\0P\0=\0\x31", 30), DEFAULT_TEXT, 32, 12, 1, 0},
    {"\xEF\xBB\xBF[BURNING]\nTEXT=", "", 32, 12, 0, 0},
    // A lead byte without a second byte of the code page's range is handed out as \x81\x45, a middle dot: at the
    // file's end, alone, before a CR (the LF still ends the line), before an LF (the line runs on), before a NUL
    // (which it does not take); past 39 bytes it is left out whole.
    {"[BURNING]\r\nTEXT=ab\x81", "ab\x81\x45", 32, 12, 0, 0},
    {"[BURNING]\r\nTEXT=\x81\r\n[FONT]\r\nSIZE=8\r\n", "\x81\x45", 8, 12, 0, 0},
    {"[BURNING]\r\nTEXT=ab\x81\r\n[FONT]\r\nSIZE=8\r\n", "ab\x81\x45", 8, 12, 0, 0},
    {"[BURNING]\nTEXT=ab\x81\n[FONT]\nSIZE=8\n", "ab\x81\x45[FONT]", 32, 12, 0, 0},
    {std::string("[BURNING]\r\nTEXT=ab\x81\0cd\r\n[FONT]\r\nSIZE=8", 38), "ab\x81\x45", 8, 12, 0, 0},
    {"[BURNING]\r\nTEXT=" + std::string(38, 'A') + "\x81 \r\n", std::string(38, 'A'), 32, 12, 0, 0},
};

// One key set in a file: every other byte stays where it was.
struct SettingsKeyCase {
    std::string file;
    const char* section;
    const char* key;
    const char* value;
    std::string written;
};

inline const SettingsKeyCase SETTINGS_KEY_CASES[] = {
    {"", "FONT", "SIZE", "-56", "[FONT]\r\nSIZE=-56\r\n"},
    {"; note\n[X]\nY=1", "FONT", "SIZE", "8", "; note\n[X]\nY=1\r\n[FONT]\r\nSIZE=8\r\n"},
    {"[font]\r\n  size = 300 \r\nODD=1\r\n", "FONT", "SIZE", "8", "[font]\r\n  SIZE=8 \r\nODD=1\r\n"},
    {"[FLAME]\r\nLOOP=1\r\n\r\n[FONT]\r\n", "FLAME", "LIMIT", "6", "[FLAME]\r\nLOOP=1\r\nLIMIT=6\r\n\r\n[FONT]\r\n"},
    {"[FLAME]\rLOOP\r[FLAME]\rLOOP=0\r", "FLAME", "LOOP", "1", "[FLAME]\rLOOP=1\r[FLAME]\rLOOP=0\r"},
    {"[BURNING]\nTEXT=[\x81]\n", "BURNING", "TEXT", "\"\x81\x40\"", "[BURNING]\nTEXT=\"\x81\x40\"\n"},
    {"[WHITCH]", "WHITCH", "FIRE", "1", "[WHITCH]\r\nFIRE=1\r\n"},
    {"[X]\nY=\x82\n", "FONT", "SIZE", "48", "[X]\nY=\x82\n\r\n[FONT]\r\nSIZE=48\r\n"},
    {"[FONT]\nY=\x82\r", "FONT", "SIZE", "48", "[FONT]\nY=\x82\r\r\nSIZE=48\r\n"},
};

// The record a reader made of a case's file, against the case.
inline void ExpectCaseRecord(const SaverSettings& settings, const SettingsFileCase& expected)
{
    EXPECT_EQ(settings.text, expected.text);
    EXPECT_EQ(settings.fontSize, expected.fontSize);
    EXPECT_EQ(settings.flameLimit, expected.flameLimit);
    EXPECT_EQ(settings.loop, expected.loop);
    EXPECT_EQ(settings.fireMode, expected.fireMode);
}

#endif
