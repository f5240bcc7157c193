#include <gtest/gtest.h>

#include <random>

#include "settings_file_cases.h"
#include "settings_mutations.h"
#include "settings_profile.h"
#include "shift_jis.h"
#include "win_test_support.h"

namespace {

const UINT OTHER_CODE_PAGE = 1252;

UINT WINAPI OtherCodePage()
{
    return OTHER_CODE_PAGE;
}

BOOL(WINAPI* realWriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);

// A disk that fills up half-way through the write.
BOOL WINAPI WriteFileCutOff(HANDLE file, LPCVOID bytes, DWORD length, LPDWORD done, LPOVERLAPPED overlapped)
{
    realWriteFile(file, bytes, length / 2, done, overlapped);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

HANDLE(WINAPI* realCreateFileA)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

// Windows refuses to overwrite a hidden file with CREATE_ALWAYS unless the attributes keep it hidden; Wine does not.
HANDLE WINAPI CreateFileAsWindowsDoes(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                      DWORD disposition, DWORD flags, HANDLE model)
{
    DWORD attributes = GetFileAttributesA(path);
    if (disposition == CREATE_ALWAYS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & ~flags & FILE_ATTRIBUTE_HIDDEN) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return realCreateFileA(path, access, share, security, disposition, flags, model);
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), SETTINGS_CODE_PAGE) << "the tests expect the Japanese code page";
        UseTestModuleAsProgram();
        RemoveSettingsFile();
    }
    void TearDown() override { RemoveSettingsFile(); }
};

// The record, saved into the settings file, reads back as itself.
void ExpectSavedRecordReadsBack()
{
    const SaverSettings saved = saverSettings;
    EXPECT_TRUE(SaveSaverSettings());
    memset(&saverSettings, 0x5A, sizeof saverSettings);
    LoadSaverSettings();
    SCOPED_TRACE("saved and read back");
    ExpectCaseRecord(saverSettings, {"", saved.text, saved.fontSize, saved.flameLimit, saved.loop, saved.fireMode});
}

// Each case's file read, every field written from it, and its record saved into it reads back.
void ExpectEveryCaseReadAndSavedBack()
{
    for (const SettingsFileCase& expected : SETTINGS_FILE_CASES) {
        SCOPED_TRACE(expected.file);
        RemoveSettingsFile();
        if (!expected.file.empty())
            WriteWholeFile(SettingsFilePath(), expected.file);
        memset(&saverSettings, 0x5A, sizeof saverSettings);
        LoadSaverSettings();
        ExpectCaseRecord(saverSettings, expected);
        ExpectSavedRecordReadsBack();
    }
}

// The text as the profile functions hand it out passes through the system's
// code page, which alters bytes that form no character of it.
std::string ThroughTheCodePage(const char* text)
{
    wchar_t wide[SETTINGS_TEXT_BYTES];
    char narrow[SETTINGS_TEXT_BYTES] = {};
    int characters = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, SETTINGS_TEXT_BYTES);
    WideCharToMultiByte(CP_ACP, 0, wide, characters, narrow, SETTINGS_TEXT_BYTES - 1, nullptr, nullptr);
    return narrow;
}

// The core's reader of `file` gives the record the profile functions gave, in saverSettings.
void ExpectCoreReaderAgrees(const std::string& file)
{
    SaverSettings core;
    memset(&core, 0x5A, sizeof core);
    ReadSettingsFile(file.data(), file.size(), &core);
    SCOPED_TRACE("the core's reader");
    ExpectCaseRecord(saverSettings,
                     {file, ThroughTheCodePage(core.text), core.fontSize, core.flameLimit, core.loop, core.fireMode});
}

}  // namespace

// The string table's longer name, which the saver reads through a 13-byte buffer.
TEST_F(SettingsFile, LivesOnlyUnderItsTwelveCharacterName)
{
    const char longerName[] = "TamblornScrSvr.ini";
    WritePrivateProfileStringA("FLAME", "LIMIT", "6", longerName);
    LoadSaverSettings();
    EXPECT_EQ(saverSettings.flameLimit, 12);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, longerName);
    DeleteFileA((SettingsFilePath().substr(0, SettingsFilePath().rfind('\\') + 1) + longerName).c_str());

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
    ExpectSavedRecordReadsBack();
    EXPECT_EQ(ReadSetting("BURNING", "TEXT"), "\x89\xCE abc");
    EXPECT_EQ(ReadSetting("FONT", "SIZE"), "-56");
    EXPECT_EQ(ReadSetting("WHITCH", "FIRE"), "1");
    EXPECT_EQ(ReadSetting("FLAME", "LIMIT"), "8");
    EXPECT_EQ(ReadSetting("FLAME", "LOOP"), "1");
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
        ExpectSavedRecordReadsBack();
    }
    EXPECT_NE(ReadWholeFile(SettingsFilePath()).find("TEXT=abc\r\n"), std::string::npos);
    WriteSetting("BURNING", "TEXT", "\"  abc \"");
    LoadSaverSettings();
    EXPECT_STREQ(saverSettings.text, "  abc ") << "a file written before reads as it did";
}

TEST_F(SettingsFile, TheProfileFunctionsReadTheCoreReadersCases)
{
    ExpectEveryCaseReadAndSavedBack();
}

// Where the system's code page is not 932 the saver reads the file's own bytes, converting a Unicode-marked one
// with the system: every case reads as the profile functions read it under 932.
TEST_F(SettingsFile, OnAnotherCodePageTheCasesReadAsUnderCodePage932)
{
    auto systemCodePage = ReplaceImport("GetACP", OtherCodePage);
    ExpectEveryCaseReadAndSavedBack();
    ReplaceImport("GetACP", systemCodePage);
}

// There the file is written whole: a write cut off leaves the old file as it was and says so, a hidden file
// saves and stays hidden.
TEST_F(SettingsFile, OnAnotherCodePageASaveReplacesTheFileWholeOrNotAtAll)
{
    auto systemCodePage = ReplaceImport("GetACP", OtherCodePage);
    const std::string path = SettingsFilePath();
    const std::string old = "[BURNING]\r\nTEXT=old\r\n; a note\r\n[FONT]\r\nSIZE=16\r\n";
    WriteWholeFile(path, old);
    strcpy(saverSettings.text, "\x89\xCE new");
    saverSettings.fontSize = 48;
    realWriteFile = ReplaceImport("WriteFile", WriteFileCutOff);
    EXPECT_FALSE(SaveSaverSettings());
    ReplaceImport("WriteFile", realWriteFile);
    EXPECT_EQ(ReadWholeFile(path), old);
    EXPECT_EQ(GetFileAttributesA((path + ".new").c_str()), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    realCreateFileA = ReplaceImport("CreateFileA", CreateFileAsWindowsDoes);
    EXPECT_TRUE(SaveSaverSettings());
    ReplaceImport("CreateFileA", realCreateFileA);
    EXPECT_NE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_NE(ReadWholeFile(path).find("; a note\r\n"), std::string::npos);
    memset(&saverSettings, 0, sizeof saverSettings);
    LoadSaverSettings();
    EXPECT_STREQ(saverSettings.text, "\x89\xCE new");
    EXPECT_EQ(saverSettings.fontSize, 48);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

    RemoveSettingsFile();
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    EXPECT_FALSE(SaveSaverSettings());
    RemoveDirectoryA(path.c_str());
    ReplaceImport("GetACP", systemCodePage);
}

// The core's table of code page 932 against the system's conversions, for every cell and every UTF-16 unit.
TEST_F(SettingsFile, TheCoresTableWritesAndReadsEveryCharacterAsTheSystemDoes)
{
    int differing = 0;
    // Every double-byte cell, the ones that repeat another cell's character among them.
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC && IsShiftJisLeadByte(static_cast<uint8_t>(lead)); ++trail) {
            const char cell[3] = {static_cast<char>(lead), static_cast<char>(trail), '\0'};
            WCHAR system = 0;
            bool read = trail != 0x7F &&
                        MultiByteToWideChar(SETTINGS_CODE_PAGE, MB_ERR_INVALID_CHARS, cell, 2, &system, 1) == 1;
            uint16_t core = 0;
            ShiftJisCharacterAt(cell, &core);
            bool same = core == (read ? system : 0);
            EXPECT_TRUE(same || differing >= 5) << std::hex << lead << " " << trail << ": " << core << " " << system;
            differing += same ? 0 : 1;
        }
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        WCHAR wide = static_cast<WCHAR>(unit);
        char system[4];
        int systemBytes = WideCharToMultiByte(SETTINGS_CODE_PAGE, 0, &wide, 1, system, sizeof system, nullptr, nullptr);
        char core[2];
        int coreBytes = ShiftJisOfUnit(static_cast<uint16_t>(unit), core);
        bool same = std::string(system, systemBytes) == std::string(core, coreBytes);
        EXPECT_TRUE(same || differing >= 5) << "U+" << std::hex << unit;
        differing += same ? 0 : 1;
    }
    EXPECT_EQ(differing, 0);
}

// The mutated files, Unicode-marked ones with characters of every kind among them, read alike by the profile
// functions and the core's reader (the hostile-settings harness takes fewer, each through a canvas).
TEST_F(SettingsFile, TheProfileFunctionsAndTheCoreReadMutatedFilesAlike)
{
    const int count = StressCount(2000, 15000);
    const unsigned seed = GetTickCount();
    std::mt19937 random(seed);
    int marked = 0;
    int read = 0;
    for (; read < count && !HasFailure(); ++read) {
        std::string file = settings_mutations::MutatedSettingsFile(random);
        size_t markBytes;
        marked += SettingsFileMark(file.data(), file.size(), &markBytes) != MARK_NONE ? 1 : 0;
        WriteWholeFile(SettingsFilePath(), file);
        ForgetCachedSettings();
        LoadSaverSettings();
        SCOPED_TRACE("settings file \"" + Printable(file) + "\"");
        ExpectCoreReaderAgrees(file);
    }
    printf("settings files: %d read by both readers (seed %u), %d of them Unicode-marked\n", read, seed, marked);
}
