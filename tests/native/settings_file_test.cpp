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
        EXPECT_EQ(settings.text, expected.text);
        EXPECT_EQ(settings.fontSize, expected.fontSize);
        EXPECT_EQ(settings.flameLimit, expected.flameLimit);
        EXPECT_EQ(settings.loop, expected.loop);
        EXPECT_EQ(settings.fireMode, expected.fireMode);
    }
}
