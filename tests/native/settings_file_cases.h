// Settings files with the record the profile functions make of each: the
// core's reader is held to them natively, the profile functions under Wine.
#ifndef TAMBLORN_SETTINGS_FILE_CASES_H
#define TAMBLORN_SETTINGS_FILE_CASES_H

#include <string>

#include "saver_settings.h"

inline const std::string DEFAULT_TEXT_BYTES = DEFAULT_TEXT;

struct SettingsFileCase {
    std::string file;
    std::string text;
    int fontSize;
    int flameLimit;
    int loop;
    int fireMode;
};

inline const SettingsFileCase SETTINGS_FILE_CASES[] = {
    {"", DEFAULT_TEXT_BYTES, 32, 12, 0, 0},
    {"[FONT]\r\nSIZE=300\r\n[FLAME]\r\nLIMIT=6\r\nLOOP=1\r\n[WHITCH]\r\nFIRE=1\r\n", DEFAULT_TEXT_BYTES, 44, 6, 1, 1},
    {"[FONT]\nSIZE=200\n[BURNING]\nTEXT=\n", "", -56, 12, 0, 0},
    {"[burning]\rtext = Tamblorn \r[font]\rsize\r", "Tamblorn", 32, 12, 0, 0},
    {"[BURNING]\nTEXT=\"  abc  \"\n", "  abc  ", 32, 12, 0, 0},
    {"[BURNING]\nTEXT='x'\n", "x", 32, 12, 0, 0},
    {"[BURNING]\nTEXT=0123456789012345678901234567890123456789ABC\n", "012345678901234567890123456789012345678", 32,
     12, 0, 0},
    // A double-byte character that would end past the 39th byte is left out whole.
    {"[BURNING]\nTEXT=" + std::string(38, 'A') + "\x89\xCE\n", std::string(38, 'A'), 32, 12, 0, 0},
    // Its second byte may look like a bracket, and is none.
    {"[BURNING]\nTEXT=[\x81]\n[FONT\x81]\nSIZE=16\n", "[\x81]", 32, 12, 0, 0},
    {std::string("\xFF\xFE[\0F\0O\0N\0T\0]\0\n\0S\0I\0Z\0E\0=\0\x32\0\x34\0", 30), DEFAULT_TEXT_BYTES, 24, 12, 0, 0},
    {"[FLAME]\nLOOP=1\n[FLAME]\nLIMIT=6\nLIMIT=8\n", DEFAULT_TEXT_BYTES, 32, 12, 1, 0},
    {"[FLAME]\nLIMIT=8\nLIMIT=6\n[FONT]\nSIZE=0x10\n[WHITCH]\nFIRE=12abc\n", DEFAULT_TEXT_BYTES, 16, 8, 0, 12},
    {"[FLAME]\nLIMIT=4294967296\nLOOP=-1\n[FONT]\nSIZE=+7\n[WHITCH]\nFIRE=\"\"\n", DEFAULT_TEXT_BYTES, 7, 0, -1, 0},
    // A line that starts a section without closing it is a line of the section before.
    {"\xEF\xBB\xBF[ FLAME ]\nLIMIT=6\n[FLAME\nLOOP=1\n", DEFAULT_TEXT_BYTES, 32, 6, 1, 0},
};


#endif
