// Starts a program with an exact raw command line and returns its exit code.
//   e2e_launcher <program path> <command line as hex bytes> [timeout ms]
// The command line travels as hex so that quotes, tabs and Shift-JIS bytes reach
// CreateProcessA unchanged, whatever the Unix shell and Wine's argument quoting do.
#include <windows.h>

#include "e2e_support.h"

#include <cstring>

namespace {

const DWORD DEFAULT_TIMEOUT_MS = 60000;

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || strlen(argv[2]) % 2 != 0 || strspn(argv[2], "0123456789abcdefABCDEF") != strlen(argv[2]))
        return UsageError("e2e_launcher PROGRAM HEX-COMMAND-LINE [TIMEOUT-MS]");
    DWORD timeout = argc > 3 ? strtoul(argv[3], nullptr, 10) : DEFAULT_TIMEOUT_MS;

    PROCESS_INFORMATION process = {};
    if (!StartProgram(argv[1], FromHex(argv[2]), &process)) {
        fprintf(stderr, "e2e_launcher: CreateProcessA failed with %lu (tried %d times)\n", GetLastError(),
                e2eStartRetries + 1);
        return START_FAILED;
    }
    printf("started pid=%lu start-retries=%d\n", process.dwProcessId, e2eStartRetries);
    fflush(stdout);
    DWORD exitCode = 0;
    if (!EndedWithin(process, timeout, &exitCode)) {
        fprintf(stderr, "e2e_launcher: the program did not end within %lu ms\n", timeout);
        return KILLED_EXIT;
    }
    CloseProcess(process);
    printf("exit=%ld\n", static_cast<long>(exitCode));
    return static_cast<int>(exitCode);
}
