#include "win_test_support.h"

#include <cstdio>

#include "host_state.h"

namespace {

const char SETTINGS_FILE_NAME[] = "TamblornScrS";

}  // namespace

std::string SettingsFilePath()
{
    char directory[MAX_PATH];
    GetWindowsDirectoryA(directory, MAX_PATH);
    return std::string(directory) + "\\" + SETTINGS_FILE_NAME;
}

void RemoveSettingsFile()
{
    DeleteFileA(SettingsFilePath().c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SETTINGS_FILE_NAME);  // drop any cached copy
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

void PumpPendingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string ReadWholeFile(const std::string& path)
{
    std::string content;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return content;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, got);
    fclose(file);
    return content;
}

void UseTestModuleAsProgram()
{
    moduleInstance = GetModuleHandleA(nullptr);
}
