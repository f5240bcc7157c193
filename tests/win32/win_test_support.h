// Helpers shared by the tests that run under Wine, one file of support/ per
// part below.
#ifndef TAMBLORN_WIN_TEST_SUPPORT_H
#define TAMBLORN_WIN_TEST_SUPPORT_H

#include <windows.h>

#include "test_windows.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "closing_rules.h"
#include "command_line.h"
#include "host_state.h"
#include "password_services.h"
#include "saver_window.h"
#include "settings_mutations.h"
#include "start_up.h"

// The system's code page the tests run under: Japanese, Shift-JIS.
const UINT JAPANESE_CODE_PAGE = 932;

// ---- settings_file.cpp: the settings file as the profile functions find it,
// in the Windows directory.
std::string SettingsFilePath();
void RemoveSettingsFile();
void WriteSetting(const char* section, const char* key, const char* value);
std::string ReadSetting(const char* section, const char* key);
// Drops the profile functions' cached copy, so that the next read sees the file.
void ForgetCachedSettings();

// ---- saver_run.cpp: the saver's window, the test's own windows and queue.

// Points the program's resource loading at the test executable.
void UseTestModuleAsProgram();

// Runs the saver (full screen, or a preview in `parent`) and, once its
// message loop runs, the checks, which must end it. A saver that the checks
// leave running (a failed assertion returns early) is ended with a failure.
const UINT CHECKS_AFTER_MS = 200;
int RunSaverWith(HWND parent, std::function<void()> checks, UINT checksAfterMs = CHECKS_AFTER_MS);

// Registers a window class of this executable; registering it again does no harm.
void RegisterTestClass(const char* className, WNDPROC procedure, HCURSOR cursor = nullptr);

// A fresh host for the next saver run: its state, the saver's class and any
// quit request left in the queue.
void ResetHostBetweenRuns();

// A window at the screen's corner run by the effect's window procedure.
HWND CreateEffectPopup(int width, int height, DWORD style = WS_POPUP);

// A preview-sized parent window that keeps what the preview relays to itself,
// noting the last message.
HWND CreateSilentPreviewParent();
extern MSG relayedToPreviewParent;

// Takes every `message` queued for the window off the queue and counts them.
int TakeQueued(HWND window, UINT message);
int TakePostedCloses(HWND window);

// ---- gdi_recording.cpp: import-table patching and the GDI objects made.

// An export of a loaded library, as the caller's type of entry.
typedef void (*AnyEntry)();
template <typename Entry> Entry FindEntry(HMODULE module, const char* name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<AnyEntry>(GetProcAddress(module, name)));
}

// Points this executable's import of `function`, from whichever library, at the
// replacement; returns the entry it held before, or null if nothing of that name is imported.
void* ReplaceImport(const char* function, void* replacement);
template <typename Entry> Entry ReplaceImport(const char* function, Entry replacement)
{
    return reinterpret_cast<Entry>(ReplaceImport(function, reinterpret_cast<void*>(replacement)));
}

// Until StopOfferingEntry, this executable's GetProcAddress gives `entry` (null: no such entry) for `name`,
// and the real entry for any other name.
void OfferEntry(const char* name, FARPROC entry);
void StopOfferingEntry();
template <typename Function> FARPROC AsEntry(Function function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

// Records every GDI object the program creates, by patching the test
// executable's own import table.
void StartRecordingGdiObjects();
void StopRecordingGdiObjects();
struct RecordedGdiObject {
    HGDIOBJ handle;
    DWORD typeWhenMade;
};
const std::vector<RecordedGdiObject>& RecordedGdiObjects();
// How many of the recorded GDI objects are still alive.
int LiveRecordedGdiObjects();

// ---- test_process.cpp: the test process's own matters.

// Reads the whole of a file, or an empty string; writes one.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

// The directory the running test executable and the saver are built into.
std::string TestDirectory();

// A bitmap's pixels as top-down 0xAARRGGBB words, the alpha byte as stored.
std::vector<uint32_t> ReadBitmapPixels(HBITMAP bitmap, int* width, int* height);

// How many cases a harness runs: the bounded sample, or the full count when
// the environment variable TAMBLORN_STRESS is 1.
int StressCount(int bounded, int full);

// The process's private bytes.
size_t PrivateBytes();

// The case a harness has in hand, printed by the filter should the process
// fault on it; and bytes shown as text, with \xNN for what does not print.
extern std::string currentCase;
LONG WINAPI ReportFaultingCase(EXCEPTION_POINTERS* fault);
std::string Printable(const std::string& bytes);
#endif
