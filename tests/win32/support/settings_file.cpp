// The settings file as the tests write, read and remove it.
#include "win_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

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

namespace {

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

}  // namespace

bool CoreReaderAgrees(const std::string& file)
{
    SaverSettings core;
    memset(&core, 0x5A, sizeof core);
    ReadSettingsFile(file.data(), file.size(), &core);
    const SaverSettings& system = saverSettings;
    bool textAgrees = ThroughTheCodePage(core.text) == system.text;
    bool agrees = textAgrees && core.fontSize == system.fontSize && core.flameLimit == system.flameLimit &&
                  core.loop == system.loop && core.fireMode == system.fireMode;
    EXPECT_TRUE(agrees) << "core text \"" << Printable(core.text) << "\" system \"" << Printable(system.text)
                        << "\" size " << int{core.fontSize} << "/" << int{system.fontSize} << " limit "
                        << core.flameLimit << "/" << system.flameLimit << " loop " << core.loop << "/" << system.loop
                        << " fire " << core.fireMode << "/" << system.fireMode;
    return agrees;
}
