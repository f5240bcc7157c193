// Runs the real saver once per command line of a case file, each as its own
// process, and ends whatever it shows the way a user or the display settings
// would: a key press for the full-screen saver, Escape for the dialog, its
// parent closing for a preview, WM_CLOSE for a preview in a window not made
// here (a random window number that happened to name one).
//   e2e_command_line_runs <saver path> <case file>
// Each line of the case file is "h<command line as hex>" (the "h" keeps an
// empty command line a field). The bytes "{P}" in a command line stand for
// this helper's preview parent window as a decimal number, "{W}" for that
// number plus 2^32. What the saver must show follows from the program's own
// reading of the command line (its worked rules are tested in process),
// applied to the command line as a started program reads it: the system
// carries a command line as wide characters, and bytes that are no complete
// character of the code page do not come through as they were sent.
// Prints a line per case that went wrong and the counts:
//   tried <n> rejected <n> saver <n> preview <n> foreign-preview <n> dialog <n> slowest-reject-ms <n> wrong <n>
//   start-retries <n>
// How long a rejection took is a figure (slowest-reject-ms), not judged; the
// waits for a window and for the end are upper bounds for a busy machine.
// Exit code 0 when no case went wrong.
#include <windows.h>

#include "command_line.h"
#include "e2e_support.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const char PARENT_CLASS[] = "TamblornE2ECommandLineParent";
const DWORD PARENT_STYLE = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;
const DWORD SHOW_WAIT_MS = 30000;
const DWORD END_WAIT_MS = 30000;
const char ECHO_VARIABLE[] = "TAMBLORN_ECHO_COMMAND_LINE";

// What a case can show, with the exit code that ending it as its user would must give. A preview in a window of
// another program is a figure: where a command line names such a window, whatever happens is right.
enum Shown { SHOWN_NOTHING, SHOWN_SAVER, SHOWN_PREVIEW, SHOWN_FOREIGN_PREVIEW, SHOWN_DIALOG, SHOWN_KINDS };
struct ShownKind {
    const char* name;
    DWORD exitCode;
};
const ShownKind SHOWN[SHOWN_KINDS] = {
    {"rejected", 0xFFFFFFFF}, {"saver", 0}, {"preview", 0}, {"foreign-preview", 0}, {"dialog", 2}};

struct Tally {
    int tried;
    int seen[SHOWN_KINDS];
    DWORD slowestRejectMs;
    int wrong;
};

struct Search {
    DWORD processId;
    HWND parent;
    HWND found;
    Shown shown;
};

Tally tally;
// Where an echo of a command line goes: beside the case file.
std::string echoPath;

// Every window, top-level or inside another program's, that the saver shows.
BOOL CALLBACK FindShownWindow(HWND window, LPARAM context)
{
    Search* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    std::string className = ClassOf(window);
    if (className == DIALOG_CLASS)
        search->shown = SHOWN_DIALOG;
    else if (className != SAVER_WINDOW_CLASS)
        return TRUE;
    else if (GetParent(window) == search->parent)
        search->shown = SHOWN_PREVIEW;
    else if (GetAncestor(window, GA_PARENT) == GetDesktopWindow() && WindowText(window) == FULL_SCREEN_TITLE)
        search->shown = SHOWN_SAVER;
    else
        search->shown = SHOWN_FOREIGN_PREVIEW;
    search->found = window;
    return FALSE;
}

// What the saver shows once it is ready for the user: the window it made,
// and for a full-screen saver or the dialog, that window having the keyboard.
Search LookForShownWindow(DWORD processId, HWND parent)
{
    Search search = {processId, parent, nullptr, SHOWN_NOTHING};
    EnumChildWindows(GetDesktopWindow(), FindShownWindow, reinterpret_cast<LPARAM>(&search));
    bool needsForeground = search.shown == SHOWN_SAVER || search.shown == SHOWN_DIALOG;
    if (needsForeground && GetForegroundWindow() != search.found)
        search.shown = SHOWN_NOTHING;
    return search;
}

void PressKey(BYTE key)
{
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

void ReplaceAll(std::string* text, const std::string& from, const std::string& to)
{
    for (size_t at = text->find(from); at != std::string::npos; at = text->find(from, at + to.size()))
        text->replace(at, from.size(), to);
}

// Ends what the saver showed as its user would.
void EndShownWindow(Shown shown, HWND window, HWND parent)
{
    if (shown == SHOWN_SAVER || shown == SHOWN_DIALOG)
        PressKey(shown == SHOWN_SAVER ? VK_SPACE : VK_ESCAPE);
    else if (shown == SHOWN_PREVIEW)
        DestroyWindow(parent);
    else if (shown == SHOWN_FOREIGN_PREVIEW)
        PostMessageA(window, WM_CLOSE, 0, 0);
}

void Report(int number, Shown expected, Shown shown, const std::string& commandLine, const char* what, DWORD code)
{
    ++tally.wrong;
    printf("case %d expected %s shown %s: %s (exit 0x%08lx) command line %s\n", number,
           expected == SHOWN_FOREIGN_PREVIEW ? "any" : SHOWN[expected].name, SHOWN[shown].name, what,
           static_cast<unsigned long>(code), ToHex(commandLine).c_str());
}

// What the program must show on a system not of the 9x family: a preview
// only in an existing window (anything for a window of another program), the
// password switch never.
Shown ExpectedShown(const char* line, HWND parent)
{
    SaverSwitch request = {};
    ReadSaverSwitch(FindArgumentText(line), &request);
    if (request.kind == SWITCH_NONE || request.kind == SWITCH_CONFIGURE)
        return SHOWN_DIALOG;
    if (request.kind == SWITCH_FULL_SCREEN)
        return SHOWN_SAVER;
    if (request.kind != SWITCH_PREVIEW)
        return SHOWN_NOTHING;
    if (request.windowNumber == HandleNumber(parent))
        return SHOWN_PREVIEW;
    return IsWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(request.windowNumber))) ? SHOWN_FOREIGN_PREVIEW
                                                                                         : SHOWN_NOTHING;
}

// The command line as a started program reads it: this program started again
// with it, told by the environment to only write down what it got.
std::string Arrived(const std::string& sent)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    DeleteFileA(echoPath.c_str());
    SetEnvironmentVariableA(ECHO_VARIABLE, echoPath.c_str());
    PROCESS_INFORMATION echo = {};
    bool started = StartProgram(self, sent, &echo);
    SetEnvironmentVariableA(ECHO_VARIABLE, nullptr);
    if (!started)
        return "";
    WaitForSingleObject(echo.hProcess, INFINITE);
    CloseProcess(echo);
    std::ifstream echoed(echoPath, std::ios::binary);
    std::string arrived((std::istreambuf_iterator<char>(echoed)), std::istreambuf_iterator<char>());
    echoed.close();
    DeleteFileA(echoPath.c_str());
    return arrived;
}

void RunCase(int number, const char* saverPath, std::string commandLine)
{
    HWND parent =
        CreatePreviewParent(PARENT_CLASS, DefWindowProcA, "Tamblorn command-line parent", PARENT_STYLE, 60, 60);
    PumpMessages();
    unsigned long long parentNumber = HandleNumber(parent);
    ReplaceAll(&commandLine, "{P}", std::to_string(parentNumber));
    ReplaceAll(&commandLine, "{W}", std::to_string(parentNumber + HANDLE_WRAP));
    const Shown expected = ExpectedShown(Arrived(commandLine).c_str(), parent);
    PROCESS_INFORMATION saver = {};
    ++tally.tried;
    if (!StartProgram(saverPath, commandLine, &saver)) {
        Report(number, expected, SHOWN_NOTHING, commandLine, "could not start", GetLastError());
        DestroyWindow(parent);
        return;
    }

    DWORD started = GetTickCount();
    Search search = {};
    while (search.shown == SHOWN_NOTHING && !WaitServingWindows(saver.hProcess, POLL_MS) &&
           GetTickCount() - started < SHOW_WAIT_MS)
        search = LookForShownWindow(saver.dwProcessId, parent);
    DWORD shownMs = GetTickCount() - started;
    const Shown shown = search.shown;
    EndShownWindow(shown, search.found, parent);
    DWORD code = 0;
    if (!EndedWithin(saver, shown == SHOWN_NOTHING ? 0 : END_WAIT_MS, &code)) {
        Report(number, expected, shown, commandLine,
               shown == SHOWN_NOTHING ? "neither a window nor an end" : "still ran after it was ended", code);
    } else {
        ++tally.seen[shown];
        if (shown == SHOWN_NOTHING && shownMs > tally.slowestRejectMs)
            tally.slowestRejectMs = shownMs;
        if (code != SHOWN[shown].exitCode)
            Report(number, expected, shown, commandLine, "wrong exit code", code);
        else if (shown != expected && expected != SHOWN_FOREIGN_PREVIEW)
            Report(number, expected, shown, commandLine, "not what the command line asks for", code);
    }
    CloseProcess(saver);
    if (IsWindow(parent))
        DestroyWindow(parent);
    PumpMessages();
}

int EchoCommandLine(const char* path)
{
    FILE* echo = fopen(path, "wb");
    if (!echo)
        return FAILED;
    const char* commandLine = GetCommandLineA();
    fwrite(commandLine, 1, strlen(commandLine), echo);
    fclose(echo);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    char echoTo[MAX_PATH] = {};
    if (GetEnvironmentVariableA(ECHO_VARIABLE, echoTo, MAX_PATH))
        return EchoCommandLine(echoTo);
    if (argc < 3)
        return UsageError("e2e_command_line_runs SAVER CASE-FILE");
    std::ifstream cases(argv[2]);
    if (!cases) {
        fprintf(stderr, "e2e_command_line_runs: cannot read %s\n", argv[2]);
        return USAGE_ERROR;
    }
    echoPath = std::string(argv[2]) + ".echo";
    std::string hex;
    int number = 0;
    while (cases >> hex) {
        RunCase(++number, argv[1], FromHex(hex.c_str() + 1));
        fflush(stdout);
    }
    printf("tried %d", tally.tried);
    for (int shown = SHOWN_NOTHING; shown < SHOWN_KINDS; ++shown)
        printf(" %s %d", SHOWN[shown].name, tally.seen[shown]);
    printf(" slowest-reject-ms %lu wrong %d start-retries %d\n", static_cast<unsigned long>(tally.slowestRejectMs),
           tally.wrong, e2eStartRetries);
    return tally.tried > 0 && tally.wrong == 0 ? 0 : FAILED;
}
