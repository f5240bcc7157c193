// The settings file as the tests write, read and remove it.
#include "win_test_support.h"

#include <gtest/gtest.h>

#include "settings_profile.h"

std::string SettingsFilePath()
{
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\" + SETTINGS_FILE_NAME;
}

void ForgetCachedSettings()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SETTINGS_FILE_NAME);
}

void RemoveSettingsFile()
{
    DeleteFileA(SettingsFilePath().c_str());
    ForgetCachedSettings();
}

void WriteSetting(const char* section, const char* key, const char* value)
{
    WritePrivateProfileStringA(section, key, value, SETTINGS_FILE_NAME);
}

std::string ReadSetting(const char* section, const char* key)
{
    char value[256];
    GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, SETTINGS_FILE_NAME);
    return value;
}
