#include <gtest/gtest.h>

#include <cstring>

#include "settings_file_cases.h"


TEST(SettingsFile, ReadsTheRecordTheProfileFunctionsWouldGive)
{
    for (const SettingsFileCase& expected : SETTINGS_FILE_CASES) {
        SaverSettings settings;
        memset(&settings, 0x5A, sizeof settings);
        ReadSettingsFile(expected.file.empty() ? nullptr : expected.file.data(), expected.file.size(), &settings);
        SCOPED_TRACE(expected.file);
        ExpectCaseRecord(settings, expected);
    }
}

std::string WithKey(const std::string& file, const char* section, const char* key, const char* value)
{
    std::string out(SettingsFileRoom(file.size(), section, key, value), '\0');
    size_t length = 0;
    EXPECT_TRUE(SetSettingsFileKey(file.data(), file.size(), section, key, value, &out[0], &length));
    return out.substr(0, length);
}

TEST(SettingsFile, SettingAKeyKeepsEveryOtherByte)
{
    for (const SettingsKeyCase& expected : SETTINGS_KEY_CASES)
        EXPECT_EQ(WithKey(expected.file, expected.section, expected.key, expected.value), expected.written);
}

TEST(SettingsFile, ReadsBackTheFiveKeysWrittenIntoAnyFile)
{
    for (const SettingsFileCase& given : SETTINGS_FILE_CASES) {
        SCOPED_TRACE(given.file);
        if (given.file.compare(0, 2, "\xFF\xFE") == 0 || given.file.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            size_t length = 0;
            EXPECT_FALSE(
                SetSettingsFileKey(given.file.data(), given.file.size(), "FONT", "SIZE", "8", nullptr, &length));
            continue;
        }
        std::string file = WithKey(given.file, "BURNING", "TEXT", "\" \x94\x52\x82\xA6\"");
        file = WithKey(file, "FONT", "SIZE", "-56");
        file = WithKey(file, "WHITCH", "FIRE", "1");
        file = WithKey(file, "FLAME", "LIMIT", "8");
        file = WithKey(file, "FLAME", "LOOP", "1");
        SaverSettings settings;
        ReadSettingsFile(file.data(), file.size(), &settings);
        EXPECT_STREQ(settings.text, " \x94\x52\x82\xA6");
        EXPECT_EQ(settings.fontSize, -56);
        EXPECT_EQ(settings.fireMode, 1);
        EXPECT_EQ(settings.flameLimit, 8);
        EXPECT_EQ(settings.loop, 1);
    }
}
