#include <gtest/gtest.h>

#include "settings_file_cases.h"
#include "settings_profile.h"
#include "win_test_support.h"

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseTestModuleAsProgram();
        RemoveSettingsFile();
    }
    void TearDown() override { RemoveSettingsFile(); }
};

}  // namespace

TEST_F(SettingsFile, DefaultsWithoutAFile)
{
    memset(&saverSettings, 0x5A, sizeof saverSettings);
    LoadSaverSettings();
    EXPECT_STREQ(saverSettings.text, "\x8C\xDC\x8E\x9A\x91\x97\x82\xE8\x89\xCE");
    EXPECT_EQ(strlen(saverSettings.text), 10u);
    EXPECT_EQ(saverSettings.fontSize, 32);
    EXPECT_EQ(saverSettings.flameLimit, 12);
    EXPECT_EQ(saverSettings.loop, 0);
    EXPECT_EQ(saverSettings.fireMode, 0);
    EXPECT_EQ(GetACP(), 932u) << "the tests expect the Japanese code page";
}

TEST_F(SettingsFile, FontSizeKeepsItsLowByteAndIsWrittenBackSigned)
{
    WriteSetting("FONT", "SIZE", "300");
    LoadSaverSettings();
    EXPECT_EQ(saverSettings.fontSize, 44);

    WriteSetting("FONT", "SIZE", "200");
    LoadSaverSettings();
    EXPECT_EQ(saverSettings.fontSize, -56);
    SaveSaverSettings();
    EXPECT_EQ(ReadSetting("FONT", "SIZE"), "-56");
    LoadSaverSettings();
    EXPECT_EQ(saverSettings.fontSize, -56);
}

TEST_F(SettingsFile, AnEmptyTextStaysEmptyAndALongOneIsCut)
{
    WriteSetting("BURNING", "TEXT", "");
    LoadSaverSettings();
    EXPECT_STREQ(saverSettings.text, "");

    WriteSetting("BURNING", "TEXT", "0123456789012345678901234567890123456789ABCDEF");
    LoadSaverSettings();
    EXPECT_STREQ(saverSettings.text, "012345678901234567890123456789012345678");
}

TEST_F(SettingsFile, LivesOnlyUnderItsTwelveCharacterName)
{
    WritePrivateProfileStringA("FLAME", "LIMIT", "6", "TamblornScrSvr.ini");
    LoadSaverSettings();
    EXPECT_EQ(saverSettings.flameLimit, 12);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, "TamblornScrSvr.ini");
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, MAX_PATH);
    DeleteFileA((std::string(directory) + "\\TamblornScrSvr.ini").c_str());

    WriteSetting("FLAME", "LIMIT", "6");
    LoadSaverSettings();
    EXPECT_EQ(saverSettings.flameLimit, 6);
    EXPECT_NE(GetFileAttributesA(SettingsFilePath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsFile, SavingWritesTheFiveKeysInDecimal)
{
    strcpy(saverSettings.text, "\x89\xCE abc");
    saverSettings.fontSize = -56;
    saverSettings.flameLimit = 8;
    saverSettings.loop = 1;
    saverSettings.fireMode = 1;
    EXPECT_TRUE(SaveSaverSettings());
    EXPECT_EQ(ReadSetting("BURNING", "TEXT"), "\x89\xCE abc");
    EXPECT_EQ(ReadSetting("FONT", "SIZE"), "-56");
    EXPECT_EQ(ReadSetting("WHITCH", "FIRE"), "1");
    EXPECT_EQ(ReadSetting("FLAME", "LIMIT"), "8");
    EXPECT_EQ(ReadSetting("FLAME", "LOOP"), "1");
    std::string file = ReadWholeFile(SettingsFilePath());
    EXPECT_NE(file.find("[WHITCH]"), std::string::npos);
    EXPECT_NE(file.find("SIZE=-56"), std::string::npos);

    SaverSettings saved = saverSettings;
    memset(&saverSettings, 0, sizeof saverSettings);
    LoadSaverSettings();
    EXPECT_STREQ(saverSettings.text, saved.text);
    EXPECT_EQ(saverSettings.fontSize, saved.fontSize);
    EXPECT_EQ(saverSettings.flameLimit, saved.flameLimit);
    EXPECT_EQ(saverSettings.loop, saved.loop);
    EXPECT_EQ(saverSettings.fireMode, saved.fireMode);
}

TEST_F(SettingsFile, ASaveThatCannotWriteSaysSo)
{
    ASSERT_TRUE(CreateDirectoryA(SettingsFilePath().c_str(), nullptr));
    EXPECT_FALSE(SaveSaverSettings());
    RemoveDirectoryA(SettingsFilePath().c_str());
}

// Blanks and quotes at the ends come back; a text without them is written as it stands.
TEST_F(SettingsFile, TextWithBlanksOrQuotesAtItsEndsReadsBackExactly)
{
    const char* const texts[] = {"  \"abc\"  ", "'abc'", "\"abc\"", "\"", " a", "a\t", "\x81\x40\x89\xCE\x81\x40",
                                 " 0123456789012345678901234567890123456 ", "abc"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        strcpy(saverSettings.text, text);
        EXPECT_TRUE(SaveSaverSettings());
        memset(saverSettings.text, 0, sizeof saverSettings.text);
        LoadSaverSettings();
        EXPECT_STREQ(saverSettings.text, text);
    }
    EXPECT_NE(ReadWholeFile(SettingsFilePath()).find("TEXT=abc\r\n"), std::string::npos);
    WriteSetting("BURNING", "TEXT", "\"  abc \"");
    LoadSaverSettings();
    EXPECT_STREQ(saverSettings.text, "  abc ") << "a file written before reads as it did";
}

TEST_F(SettingsFile, TheProfileFunctionsReadTheCoreReadersCases)
{
    for (const SettingsFileCase& expected : SETTINGS_FILE_CASES) {
        SCOPED_TRACE(expected.file);
        RemoveSettingsFile();
        if (!expected.file.empty()) {
            FILE* file = fopen(SettingsFilePath().c_str(), "wb");
            ASSERT_NE(file, nullptr);
            fwrite(expected.file.data(), 1, expected.file.size(), file);
            fclose(file);
        }
        LoadSaverSettings();
        ExpectCaseRecord(saverSettings, expected);
    }
}
