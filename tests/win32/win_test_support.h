// Helpers shared by the tests that run under Wine.
#ifndef TAMBLORN_WIN_TEST_SUPPORT_H
#define TAMBLORN_WIN_TEST_SUPPORT_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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

// A plain visible pop-up window that counts its paints.
HWND CreatePaintCountingWindow(int width, int height);
extern int paintsReceived;

// Records every GDI object the program creates, by patching the test
// executable's own import table.
void StartRecordingGdiObjects();
void StopRecordingGdiObjects();
struct RecordedGdiObject {
    HGDIOBJ handle;
    DWORD typeWhenMade;
};
const std::vector<RecordedGdiObject>& RecordedGdiObjects();

// A bitmap's pixels as top-down 0x00RRGGBB words.
std::vector<uint32_t> ReadBitmapPixels(HBITMAP bitmap, int* width, int* height);
#endif
