#include "settings_profile.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "resource_ids.h"
#include "saver_host.h"

SaverSettings saverSettings = STARTING_SETTINGS;

namespace {

// The file name comes from the string table through a 13-byte buffer, so the
// name in use is its first twelve characters.
const int SETTINGS_FILE_NAME_BYTES = 13;
const int NUMBER_BYTES = 16;

void LoadSettingsFileName(char* settingsFileName)
{
    LoadStringA(SaverModuleInstance(), IDS_SETTINGS_FILE, settingsFileName, SETTINGS_FILE_NAME_BYTES);
}

bool WriteNumber(const char* settingsFileName, int value)
{
    char number[NUMBER_BYTES];
    wsprintfA(number, "%d", SettingsNumber(saverSettings, static_cast<SettingsValue>(value)));
    return WritePrivateProfileStringA(settingsKeys[value].section, settingsKeys[value].key, number,
                                      settingsFileName) != FALSE;
}

// The profile functions of the NT family convert the file through the system's code page: under any
// code page but 932 the Shift-JIS text may not survive (under UTF-8 it does not), so there the file's own
// bytes are read by the same rules.
const DWORD NOT_NT_FAMILY = 0x80000000;  // GetVersion's high bit
const DWORD LARGEST_SETTINGS_FILE = 1 << 20;

bool ProfileFunctionsKeepTheBytes()
{
    return (GetVersion() & NOT_NT_FAMILY) != 0 || GetACP() == SETTINGS_CODE_PAGE;
}

void SettingsFilePath(const char* settingsFileName, char* path)
{
    path[0] = '\0';
    UINT directoryLength = GetWindowsDirectoryA(path, MAX_PATH);
    if (directoryLength == 0 || directoryLength >= MAX_PATH)
        path[0] = '\0';
    lstrcatA(lstrcatA(path, "\\"), settingsFileName);
}

struct FileBytes {
    char* bytes;  // on the process heap, or null
    DWORD length;
};

// A missing file reads as empty; false when the file is there but cannot be read whole.
bool ReadWholeFile(const char* path, FileBytes* file)
{
    *file = {nullptr, 0};
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    DWORD size = GetFileSize(handle, nullptr);
    bool whole = size != INVALID_FILE_SIZE && size <= LARGEST_SETTINGS_FILE;
    if (whole && size > 0) {
        file->bytes = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size));
        whole = file->bytes && ReadFile(handle, file->bytes, size, &file->length, nullptr) && file->length == size;
    }
    CloseHandle(handle);
    return whole;
}

void FreeFileBytes(FileBytes* file)
{
    if (file->bytes)
        HeapFree(GetProcessHeap(), 0, file->bytes);
    *file = {nullptr, 0};
}

const char UNCONVERTED = '?';

// A Unicode-marked file becomes Shift-JIS through the system's own conversions, as the profile functions
// under code page 932 would hand it out (the program carries no table of the code page). They read names and
// numbers in Unicode, where a character written as ASCII by best fit is none: the copy returned, for those, has
// "?" for it (null for a file in Shift-JIS, whose bytes serve both).
const char* ConvertUnicodeFile(FileBytes* file)
{
    size_t markBytes;
    UnicodeMark mark = SettingsFileMark(file->bytes, file->length, &markBytes);
    if (mark == MARK_NONE)
        return nullptr;
    // A UTF-16 file is converted where it lies (the mark keeps its units aligned); a unit becomes at most two
    // bytes, and no unit takes less than one byte of the file.
    int restBytes = static_cast<int>(file->length - markBytes);
    int room = 2 * restBytes + 1;
    WCHAR* wide = reinterpret_cast<WCHAR*>(file->bytes + markBytes);
    int units = restBytes / 2;
    for (int i = 0; mark == MARK_UTF16_BIG && i < units; ++i)
        wide[i] = static_cast<WCHAR>(wide[i] << 8 | wide[i] >> 8);
    FileBytes converted = {static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, 2 * room)), 0};
    if (mark == MARK_UTF8) {
        wide = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, room * sizeof(WCHAR)));
        units = wide && restBytes > 0
                    ? MultiByteToWideChar(CP_UTF8, 0, file->bytes + markBytes, restBytes, wide, restBytes)
                    : 0;
    }
    char* strict = converted.bytes ? converted.bytes + room : nullptr;
    if (strict && units > 0)
        converted.length = static_cast<DWORD>(
            WideCharToMultiByte(SETTINGS_CODE_PAGE, 0, wide, units, converted.bytes, room, nullptr, nullptr));
    for (DWORD at = 0, unit = 0; at < converted.length; ++unit) {
        int bytes = IsShiftJisLeadByte(static_cast<BYTE>(converted.bytes[at])) && at + 1 < converted.length ? 2 : 1;
        CopyMemory(strict + at, converted.bytes + at, bytes);
        if (wide[unit] >= 0x80 && static_cast<BYTE>(converted.bytes[at]) < 0x80)
            strict[at] = UNCONVERTED;
        at += bytes;
    }
    if (mark == MARK_UTF8 && wide)
        HeapFree(GetProcessHeap(), 0, wide);
    FreeFileBytes(file);
    *file = converted;
    return strict;
}

void ReadSettingsFileBytes(const char* settingsFileName)
{
    char path[MAX_PATH + SETTINGS_FILE_NAME_BYTES];
    SettingsFilePath(settingsFileName, path);
    FileBytes file;
    ReadWholeFile(path, &file);
    const char* strict = ConvertUnicodeFile(&file);
    if (strict)
        ReadShiftJisSettingsFile(strict, file.bytes, file.length, &saverSettings);
    else
        ReadShiftJisSettingsFile(file.bytes, nullptr, file.length, &saverSettings);
    FreeFileBytes(&file);
}

// The new file is written beside the old one and takes its place in one step: a write that fails or is cut
// off leaves the old file whole. It keeps the old file's attributes, so that a hidden file stays hidden.
const char NEW_FILE_SUFFIX[] = ".new";
const DWORD KEPT_ATTRIBUTES = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

bool ReplaceSettingsFile(const char* path, const FileBytes* file)
{
    char newPath[MAX_PATH + SETTINGS_FILE_NAME_BYTES + sizeof NEW_FILE_SUFFIX];
    lstrcatA(lstrcpyA(newPath, path), NEW_FILE_SUFFIX);
    DWORD attributes = GetFileAttributesA(path);
    HANDLE handle = CreateFileA(newPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes & KEPT_ATTRIBUTES, nullptr);
    DWORD done = 0;
    bool written = handle != INVALID_HANDLE_VALUE && WriteFile(handle, file->bytes, file->length, &done, nullptr) &&
                   done == file->length && FlushFileBuffers(handle);
    if (handle != INVALID_HANDLE_VALUE)
        written = CloseHandle(handle) && written;
    written = written && MoveFileExA(newPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!written)
        DeleteFileA(newPath);
    return written;
}

// Where the profile functions would not keep the Shift-JIS bytes, the file is written whole from its own bytes.
// False when the file is Unicode-marked: the profile functions write that one as before.
bool WriteSettingsFileBytes(const char* settingsFileName, bool* written)
{
    char path[MAX_PATH + SETTINGS_FILE_NAME_BYTES];
    SettingsFilePath(settingsFileName, path);
    FileBytes file;
    *written = ReadWholeFile(path, &file);
    size_t length = 0;
    char* bytes = *written ? WithSettingsWritten(file.bytes, file.length, saverSettings, &length) : nullptr;
    FreeFileBytes(&file);
    if (*written && !bytes)
        return false;
    FileBytes replacement = {bytes, static_cast<DWORD>(length)};
    *written = *written && ReplaceSettingsFile(path, &replacement);
    free(bytes);
    // The profile functions may hold a copy of the file read before.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, settingsFileName);
    return true;
}

}  // namespace

void LoadSaverSettings()
{
    char settingsFileName[SETTINGS_FILE_NAME_BYTES] = {};
    LoadSettingsFileName(settingsFileName);
    if (!ProfileFunctionsKeepTheBytes()) {
        ReadSettingsFileBytes(settingsFileName);
        return;
    }
    SaverSettings& settings = saverSettings;
    // Room for the enclosing quotes: a reader may need it to drop them from a text of full length. A
    // double-byte character cut by the buffer leaves bytes unwritten, so the buffer starts empty and only
    // whole characters within 39 bytes are kept.
    char read[QUOTED_TEXT_BYTES] = {};
    const SettingsKey& textKey = settingsKeys[VALUE_TEXT];
    GetPrivateProfileStringA(textKey.section, textKey.key, DEFAULT_TEXT, read, sizeof read, settingsFileName);
    memset(settings.text, 0, SETTINGS_TEXT_BYTES);
    memcpy(settings.text, read, WholeCharacterBytes(read, SETTINGS_TEXT_BYTES - 1));
    for (int value = VALUE_FONT_SIZE; value < SETTINGS_VALUES; ++value) {
        const SettingsKey& key = settingsKeys[value];
        SetSettingsNumber(&settings, static_cast<SettingsValue>(value),
                          static_cast<int32_t>(GetPrivateProfileIntA(key.section, key.key, key.defaultNumber,
                                                                     settingsFileName)));
    }
}

bool SaveSaverSettings()
{
    char settingsFileName[SETTINGS_FILE_NAME_BYTES] = {};
    LoadSettingsFileName(settingsFileName);
    bool written = false;
    if (!ProfileFunctionsKeepTheBytes() && WriteSettingsFileBytes(settingsFileName, &written))
        return written;
    char quoted[QUOTED_TEXT_BYTES];
    const char* text = QuotedSettingsText(saverSettings.text, quoted);
    const SettingsKey& textKey = settingsKeys[VALUE_TEXT];
    written = WritePrivateProfileStringA(textKey.section, textKey.key, text, settingsFileName) != FALSE;
    for (int value = VALUE_FONT_SIZE; value < SETTINGS_VALUES; ++value)
        written &= WriteNumber(settingsFileName, value);
    return written;
}
