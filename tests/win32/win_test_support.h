// Helpers shared by the tests that run under Wine.
#ifndef TAMBLORN_WIN_TEST_SUPPORT_H
#define TAMBLORN_WIN_TEST_SUPPORT_H

#include <windows.h>

#include <string>

// The settings file as the profile functions find it: in the Windows directory.
std::string SettingsFilePath();
void RemoveSettingsFile();
void WriteSetting(const char* section, const char* key, const char* value);
std::string ReadSetting(const char* section, const char* key);

// Dispatches everything already queued for this thread.
void PumpPendingMessages();

// Reads the whole of a file, or an empty string.
std::string ReadWholeFile(const std::string& path);

// Points the program's resource loading at the test executable.
void UseTestModuleAsProgram();

#endif
