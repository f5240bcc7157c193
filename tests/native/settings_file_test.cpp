#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "settings_file_cases.h"
#include "settings_mutations.h"


TEST(SettingsFile, ReadsTheRecordTheProfileFunctionsWouldGive)
{
    for (const SettingsFileCase& expected : SETTINGS_FILE_CASES) {
        SaverSettings settings;
        memset(&settings, 0x5A, sizeof settings);
        // A copy of the file's size alone: the sanitizer sees a read past its last byte.
        std::vector<char> file(expected.file.begin(), expected.file.end());
        ReadSettingsFile(file.empty() ? nullptr : file.data(), file.size(), &settings);
        SCOPED_TRACE(expected.file);
        ExpectCaseRecord(settings, expected);
    }
}

std::string WithKey(const std::string& file, const char* section, const char* key, const char* value)
{
    std::string out(SettingsFileRoom(file.size(), section, key, value), '\0');
    size_t length = 0;
    // An empty file is a missing one: no bytes at all; the others are copies of their own size, for the sanitizer.
    std::vector<char> bytes(file.begin(), file.end());
    EXPECT_TRUE(SetSettingsFileKey(bytes.empty() ? nullptr : bytes.data(), bytes.size(), section, key, value, &out[0],
                                   &length));
    return out.substr(0, length);
}

TEST(SettingsFile, SettingAKeyKeepsEveryOtherByte)
{
    for (const SettingsKeyCase& expected : SETTINGS_KEY_CASES)
        EXPECT_EQ(WithKey(expected.file, expected.section, expected.key, expected.value), expected.written);
}

// The record written whole, its text quoted where blanks or quotes stand at an end, reads back from any file;
// a Unicode-marked file is left alone. A text's lead byte without a second byte is written as the profile
// functions write it under code page 932: left out at the end, else a middle dot.
TEST(SettingsFile, ReadsBackTheRecordWrittenIntoAnyFile)
{
    const SaverSettings records[] = {{" \x94\x52\x82\xA6", -56, 8, 1, 1}, {"\"\x81\x40\x94\x52\"", 127, 0, 0, 0},
                                     {"ab\x81", 8, 6, 0, 0}, {"\x81", 8, 6, 0, 0}, {"ab\x81\r", 8, 6, 0, 0}};
    const char* const texts[] = {records[0].text, records[1].text, "ab", "", "ab\x81\x45"};
    for (const SettingsFileCase& given : SETTINGS_FILE_CASES)
        for (int r = 0; r < 5; ++r) {
            const SaverSettings& record = records[r];
            SCOPED_TRACE(given.file);
            size_t length = 0;
            char* file = WithSettingsWritten(given.file.empty() ? nullptr : given.file.data(), given.file.size(),
                                             record, &length);
            size_t markBytes = 0;
            if (SettingsFileMark(given.file.data(), given.file.size(), &markBytes) != MARK_NONE) {
                EXPECT_EQ(file, nullptr);
                continue;
            }
            SaverSettings settings;
            ReadSettingsFile(file, length, &settings);
            free(file);
            EXPECT_STREQ(settings.text, texts[r]);
            EXPECT_EQ(settings.fontSize, record.fontSize);
            EXPECT_EQ(settings.fireMode, record.fireMode);
            EXPECT_EQ(settings.flameLimit, record.flameLimit);
            EXPECT_EQ(settings.loop, record.loop);
        }
}

namespace {

int StressCount(int bounded, int full)
{
    const char* stress = getenv("TAMBLORN_STRESS");
    return stress && strcmp(stress, "1") == 0 ? full : bounded;
}

// `written` is `file` with one stretch replaced by the key's line: the stretch of `file` is empty or the key's
// old line, and what `written` has in its place is the key's line, a section's line and line ends around it.
bool KeepsEveryOtherByte(const std::string& file, const std::string& written, const char* section, const char* key,
                         const char* value)
{
    size_t prefix = 0;
    while (prefix < file.size() && prefix < written.size() && file[prefix] == written[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < file.size() && suffix < written.size() &&
           file[file.size() - 1 - suffix] == written[written.size() - 1 - suffix])
        ++suffix;
    const std::string line = std::string(key) + "=" + value;
    const std::string forms[] = {line, line + "\r\n", "\r\n" + line + "\r\n",
                                 std::string("[") + section + "]\r\n" + line + "\r\n",
                                 std::string("\r\n[") + section + "]\r\n" + line + "\r\n"};
    for (const std::string& form : forms)
        for (size_t at = 0; at <= prefix && at + form.size() <= written.size(); ++at) {
            size_t tail = written.size() - at - form.size();
            if (tail > suffix || at + tail > file.size() || written.compare(at, form.size(), form) != 0)
                continue;
            std::string removed = file.substr(at, file.size() - at - tail);
            if (removed.empty() || strncasecmp(removed.c_str(), key, strlen(key)) == 0)
                return true;
        }
    return false;
}

}  // namespace

// The record read from every mutated file, written into it, reads back as itself; the saver's five keys written
// into it, in its order, each read back, and every other byte stays where it was.
TEST(SettingsFile, KeysWrittenIntoMutatedFilesReadBackAndKeepEveryOtherByte)
{
    const int count = StressCount(3000, 100000);
    const unsigned seed = static_cast<unsigned>(time(nullptr));
    std::mt19937 random(seed);
    const char* const texts[][2] = {{"\" \x94\x52\x82\xA6\"", " \x94\x52\x82\xA6"}, {"Tamblorn", "Tamblorn"}, {"", ""}};
    int unicode = 0;
    int failed = 0;
    int differing = 0;
    for (int i = 0; i < count && failed + differing < 5; ++i) {
        std::string file = settings_mutations::MutatedSettingsFile(random);
        size_t markBytes;
        if (SettingsFileMark(file.data(), file.size(), &markBytes) != MARK_NONE) {
            ++unicode;  // left alone: the profile functions write those
            continue;
        }
        SaverSettings read;
        std::vector<char> bytes(file.begin(), file.end());
        ReadSettingsFile(bytes.data(), bytes.size(), &read);
        size_t savedLength = 0;
        char* saved = WithSettingsWritten(bytes.data(), bytes.size(), read, &savedLength);
        SaverSettings again;
        ReadSettingsFile(saved, savedLength, &again);
        free(saved);
        bool same = strcmp(again.text, read.text) == 0 && again.fontSize == read.fontSize &&
                    again.fireMode == read.fireMode && again.flameLimit == read.flameLimit && again.loop == read.loop;
        EXPECT_TRUE(same) << "the record of \"" << file << "\" written into it reads back as \"" << again.text << "\"";
        differing += same ? 0 : 1;
        const char* const* text = texts[random() % 3];
        char numbers[4][16];
        int values[4];
        for (int n = 0; n < 4; ++n)
            snprintf(numbers[n], sizeof numbers[n], "%d", values[n] = static_cast<int>(random() % 601) - 300);
        const char* written[] = {text[0], numbers[0], numbers[1], numbers[2], numbers[3]};
        for (const SettingsKey& key : settingsKeys) {
            const char* value = written[&key - settingsKeys];
            std::string next = WithKey(file, key.section, key.key, value);
            if (!KeepsEveryOtherByte(file, next, key.section, key.key, value))
                ADD_FAILURE() << "key " << key.key << " changed other bytes of \"" << file << "\"";
            file = next;
        }
        SaverSettings settings;
        bytes.assign(file.begin(), file.end());
        ReadSettingsFile(bytes.data(), bytes.size(), &settings);
        bool back = strcmp(settings.text, text[1]) == 0 && settings.fontSize == static_cast<int8_t>(values[0]) &&
                    settings.fireMode == values[1] && settings.flameLimit == values[2] && settings.loop == values[3];
        EXPECT_TRUE(back) << "written into \"" << file << "\"";
        failed += back ? 0 : 1;
    }
    printf("settings files: %d written and read back (seed %u), %d of them Unicode-marked and left alone; %d records "
           "differing when written back\n", count, seed, unicode, differing);
}
