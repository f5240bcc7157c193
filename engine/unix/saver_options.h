// The command lines of the native programs, in the manner of the XScreenSaver
// family: one dash or two before each option. The Wayland program takes the
// same table but for the X11 program's window and display options, the
// renderer its settings' options (saver_option_table.cpp needs the core alone,
// so the Windows renderer builds it too).
#ifndef TAMBLORN_SAVER_OPTIONS_H
#define TAMBLORN_SAVER_OPTIONS_H

#include <cstdint>
#include <cstdio>

#include "program_options.h"
#include "saver_settings.h"

enum DrawTarget { TARGET_OWN_WINDOW, TARGET_ROOT, TARGET_WINDOW_ID };

struct SaverOptions {
    int32_t target;
    int32_t windowId;
    const char* displayName;
    // Settings that override the settings file for one run: `given` tells
    // which values of `settings` were given.
    SaverSettings settings;
    bool given[SETTINGS_VALUES];
    // The text fitted to the monitors, and the face as a fontconfig pattern (null: the Mincho face).
    int32_t fit;
    const char* fontPattern;
    // -help and -version: print and end.
    int32_t askHelp;
    int32_t askVersion;
    // For tests and pictures: a fixed seed of the noise and the jumps, and a
    // tick count to stop after.
    bool haveSeed;
    int32_t seed;
    int32_t ticks;  // 0: run until stopped
    // As read, for FinishSaverOptions: the text in the caller's encoding, the size, -root and -window-id given.
    const char* text;
    int32_t size;
    int32_t root;
    bool haveWindowId;
};

// The usages, with the size range and the strengths of the settings table.
void WriteSaverUsage(FILE* out);
void WriteWaylandSaverUsage(FILE* out);

// The table of the options over the record, in this order: the settings' options and -seed, which the
// renderer takes too (SETTINGS_OPTIONS of them), the native programs' own, then the X11 program's window
// and display options; `table` has room for SAVER_OPTIONS.
const int SETTINGS_OPTIONS = 8;
const int SAVER_OPTIONS_BUT_X11 = 13;
const int SAVER_OPTIONS = 16;
void MakeSaverOptionTable(SaverOptions* options, ProgramOption* table);
// The record once its table is read: the target, the size into the settings and the text as Shift-JIS by
// `toShiftJis` (the platform's reading of an argument). False for a strength the saver does not offer or a
// text of which nothing is left, which would burn nothing.
bool FinishSaverOptions(SaverOptions* options, bool (*toShiftJis)(const char* text, char* out, size_t size));

// False for an unknown option, a missing value or a value out of range.
bool ReadSaverOptions(int argc, char** argv, SaverOptions* options);
// The same without -root, -window-id and -display, which name X11 windows.
bool ReadWaylandSaverOptions(int argc, char** argv, SaverOptions* options);
void ApplySaverOptions(const SaverOptions& options, SaverSettings& settings);

// The exit code of a command line not understood (after the usage).
const int OPTIONS_EXIT_WRONG = 1;

// A native program's start, the same for both: the command line read and
// answered (the usage for one not understood, -help, -version), then the
// settings file with the options over it. False when the program is to end
// at once with *exitCode.
bool StartSaverRun(int argc, char** argv, const char* program, bool withoutX11Options, SaverOptions* options,
                   SaverSettings& settings, int* exitCode);

#endif
