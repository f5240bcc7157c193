// Starts the saver as a preview in a parent window of this process and
// destroys that parent at a random moment, again and again, as the display
// settings do when the user runs through the savers quickly.
//   e2e_vanishing_parent <saver path> <cases> <seed> [latest ms]
// The parent goes 0 to <latest ms> (200 by default) after the saver was
// started: before, while or after the saver makes its window. Every saver must
// then end (it is waited for a bounded while): with 0 once its window was made
// and showing, or with 0 or -1 (no window could be made) when the parent went
// before that. How long each took is a figure, not judged: a busy machine
// must not fail the run. Prints one line per case that went wrong and a summary:
//   tried <n> window-made <n> not-yet <n> exit0 <n> exit-1 <n> slowest-ms <n> over-a-second <n> left-running <n>
//   wrong-code <n> start-retries <n>
// The exit code is 0 when every case ended as it should, else 1.
#include <windows.h>

#include "e2e_support.h"

#include <random>

namespace {

const char PARENT_CLASS[] = "TamblornE2EVanishingParent";
const DWORD PARENT_STYLE = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE;
const DWORD DEFAULT_LATEST_MS = 200;
// "Within a second": the ends that took longer are counted for the figures.
const DWORD END_ALLOWANCE_MS = 1000;
// An upper bound for a loaded machine: a saver still running then never noticed its parent go.
const DWORD LEFT_RUNNING_MS = 30000;
const DWORD SAVER_EXIT_DONE = 0;
const DWORD SAVER_EXIT_REJECTED = 0xFFFFFFFF;

struct Tally {
    int tried;
    int windowMade;
    int notYet;
    int exitDone;
    int exitRejected;
    DWORD slowestMs;
    int late;
    int leftRunning;
    int wrongCode;
};

Tally tally;
std::minstd_rand randomMoments;

void RecordEnd(int number, DWORD delayMs, bool windowMade, const PROCESS_INFORMATION& saver)
{
    DWORD destroyed = GetTickCount();
    DWORD exitCode = 0;
    bool ended = EndedWithin(saver, LEFT_RUNNING_MS, &exitCode);
    DWORD endMs = GetTickCount() - destroyed;
    if (!ended) {
        ++tally.leftRunning;
        printf("case %d: parent gone %lu ms after the start, the saver still ran %lu ms later\n", number,
               static_cast<unsigned long>(delayMs), static_cast<unsigned long>(LEFT_RUNNING_MS));
        return;
    }
    if (endMs > tally.slowestMs)
        tally.slowestMs = endMs;
    bool expected = exitCode == SAVER_EXIT_DONE || (!windowMade && exitCode == SAVER_EXIT_REJECTED);
    tally.exitDone += exitCode == SAVER_EXIT_DONE;
    tally.exitRejected += exitCode == SAVER_EXIT_REJECTED;
    if (!expected) {
        ++tally.wrongCode;
        printf("case %d: parent gone %lu ms after the start (window %s), exit code 0x%08lx\n", number,
               static_cast<unsigned long>(delayMs), windowMade ? "made" : "not yet",
               static_cast<unsigned long>(exitCode));
    }
    tally.late += endMs > END_ALLOWANCE_MS;
}

bool RunCase(int number, const char* saverPath, DWORD latestMs)
{
    HWND parent = CreatePreviewParent(PARENT_CLASS, DefWindowProcA, "Tamblorn vanishing parent", PARENT_STYLE, 40, 40);
    PROCESS_INFORMATION saver = {};
    if (!parent || !StartProgram(saverPath, PreviewCommandLine(saverPath, HandleNumber(parent)), &saver)) {
        printf("case %d: could not start (%lu)\n", number, GetLastError());
        return false;
    }
    DWORD delayMs = std::uniform_int_distribution<DWORD>(0, latestMs)(randomMoments);
    WaitServingWindows(nullptr, delayMs);
    // A child of the saver's class that shows has been made: creation shows it last.
    HWND child = FindWindowExA(parent, nullptr, SAVER_WINDOW_CLASS, nullptr);
    bool windowMade = child && IsWindowVisible(child);
    DestroyWindow(parent);
    ++tally.tried;
    tally.windowMade += windowMade;
    tally.notYet += !windowMade;
    RecordEnd(number, delayMs, windowMade, saver);
    CloseProcess(saver);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return UsageError("e2e_vanishing_parent SAVER CASES SEED [LATEST-MS]");
    int cases = atoi(argv[2]);
    randomMoments.seed(strtoul(argv[3], nullptr, 10));
    DWORD latestMs = argc > 4 ? strtoul(argv[4], nullptr, 10) : DEFAULT_LATEST_MS;
    for (int number = 1; number <= cases; ++number) {
        if (!RunCase(number, argv[1], latestMs))
            return FAILED;
        fflush(stdout);
    }
    printf("tried %d window-made %d not-yet %d exit0 %d exit-1 %d slowest-ms %lu over-a-second %d left-running %d "
           "wrong-code %d start-retries %d\n",
           tally.tried, tally.windowMade, tally.notYet, tally.exitDone, tally.exitRejected,
           static_cast<unsigned long>(tally.slowestMs), tally.late, tally.leftRunning, tally.wrongCode,
           e2eStartRetries);
    bool clean = tally.tried == cases && tally.leftRunning == 0 && tally.wrongCode == 0;
    return clean ? 0 : FAILED;
}
