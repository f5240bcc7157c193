#include "saver_options.h"

#include <cstdio>

#include "program_options.h"
#include "settings_file.h"
#include "text_encoding.h"

namespace {

void WriteUsage(FILE* out, const char* form)
{
    char strengths[STRENGTHS_TEXT_BYTES];
    WriteStrengths(strengths, sizeof strengths, "%d", "|");
    const SettingsKey& size = settingsKeys[VALUE_FONT_SIZE];
    fprintf(out, form, size.lowest, size.highest, strengths);
}

}  // namespace

void WriteSaverUsage(FILE* out)
{
    WriteUsage(out, "usage: tamblorn [-root | -window-id ID] [-display NAME] [-text TEXT] [-size %d..%d]\n"
                    "                [-fit] [-font PATTERN] [-bonfire | -no-bonfire] [-strength %s]\n"
                    "                [-loop | -no-loop] [-seed N] [-ticks N] [-help] [-version]\n");
}

void WriteWaylandSaverUsage(FILE* out)
{
    WriteUsage(out, "usage: tamblorn-wayland [-text TEXT] [-size %d..%d] [-fit] [-font PATTERN]\n"
                    "                        [-bonfire | -no-bonfire] [-strength %s] [-loop | -no-loop]\n"
                    "                        [-seed N] [-ticks N] [-help] [-version]\n");
}

namespace {

// The X11 program's own options come last: the Wayland program reads the table without them.
bool ReadOptionsOfTable(int argc, char** argv, bool withoutX11Options, SaverOptions* options)
{
    *options = SaverOptions();
    ProgramOption table[SAVER_OPTIONS];
    MakeSaverOptionTable(options, table);
    const char* wrong = nullptr;
    return ReadProgramOptions(argc, argv, table, withoutX11Options ? SAVER_OPTIONS_BUT_X11 : SAVER_OPTIONS, &wrong) &&
           FinishSaverOptions(options, LocaleTextToShiftJis);
}

}  // namespace

bool ReadSaverOptions(int argc, char** argv, SaverOptions* options)
{
    return ReadOptionsOfTable(argc, argv, false, options);
}

bool ReadWaylandSaverOptions(int argc, char** argv, SaverOptions* options)
{
    return ReadOptionsOfTable(argc, argv, true, options);
}

bool StartSaverRun(int argc, char** argv, const char* program, bool withoutX11Options, SaverOptions* options,
                   SaverSettings& settings, int* exitCode)
{
    void (*writeUsage)(FILE*) = withoutX11Options ? WriteWaylandSaverUsage : WriteSaverUsage;
    if (!ReadOptionsOfTable(argc, argv, withoutX11Options, options)) {
        writeUsage(stderr);
        *exitCode = OPTIONS_EXIT_WRONG;
        return false;
    }
    if (options->askHelp || options->askVersion) {
        if (options->askHelp)
            writeUsage(stdout);
        else
            printf("%s %s\n", program, TAMBLORN_VERSION);
        *exitCode = 0;
        return false;
    }
    if (!LoadNativeSettings(settings))
        fprintf(stderr, "%s: the settings file is not a regular file: the default settings are used\n", program);
    ApplySaverOptions(*options, settings);
    return true;
}
