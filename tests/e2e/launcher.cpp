// Starts a program with an exact raw command line and returns its exit code.
//   e2e_launcher <program path> <command line as hex bytes> [timeout ms]
// The command line travels as hex so that quotes, tabs and Shift-JIS bytes reach
// CreateProcessA unchanged, whatever the Unix shell and Wine's argument quoting do.
#include <windows.h>

#include "e2e_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const int USAGE_ERROR = 120;
const int START_FAILED = 121;
const int TIMED_OUT = 122;
const DWORD DEFAULT_TIMEOUT_MS = 60000;

int HexDigit(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

bool DecodeHex(const char* hex, std::string* bytes)
{
    size_t length = strlen(hex);
    if (length % 2 != 0)
        return false;
    for (size_t i = 0; i < length; i += 2) {
        int high = HexDigit(hex[i]);
        int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes->push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string commandLine;
    if (argc < 3 || !DecodeHex(argv[2], &commandLine)) {
        fprintf(stderr, "usage: e2e_launcher PROGRAM HEX-COMMAND-LINE [TIMEOUT-MS]\n");
        return USAGE_ERROR;
    }
    DWORD timeout = argc > 3 ? strtoul(argv[3], nullptr, 10) : DEFAULT_TIMEOUT_MS;

    PROCESS_INFORMATION process = {};
    if (!StartProgram(argv[1], commandLine, &process)) {
        fprintf(stderr, "e2e_launcher: CreateProcessA failed with %lu (tried %d times)\n", GetLastError(),
                e2eStartRetries + 1);
        return START_FAILED;
    }
    printf("started pid=%lu start-retries=%d\n", process.dwProcessId, e2eStartRetries);
    fflush(stdout);
    if (WaitForSingleObject(process.hProcess, timeout) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, TIMED_OUT);
        fprintf(stderr, "e2e_launcher: the program did not end within %lu ms\n", timeout);
        return TIMED_OUT;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    printf("exit=%ld\n", static_cast<long>(exitCode));
    return static_cast<int>(exitCode);
}
