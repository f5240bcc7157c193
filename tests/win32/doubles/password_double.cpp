// Stand-in for the platform's "PASSWORD.CPL": a screen-saver password verifier
// whose answers the tests choose.
//
// In process, through the exported controls below (the test holds its own
// reference so that this state outlives the saver's FreeLibrary). Out of process,
// through the environment:
//   TAMBLORN_VERIFIER_ANSWERS  one character per call, '1' accepts, anything else
//                              refuses; calls beyond the string refuse
//   TAMBLORN_DOUBLE_LOG        file that receives one line per call, load and unload
#include <windows.h>

#include <cstring>

#include "double_log.h"

typedef void(WINAPI* VerifierWhileOpen)(HWND owner);

namespace {

const int ANSWERS_BYTES = 256;
const char ACCEPT = '1';

struct VerifierDouble {
    int calls;
    HWND lastOwner;
    int answersSet;
    char answers[ANSWERS_BYTES];
    VerifierWhileOpen whileOpen;
};

VerifierDouble verifier;

char AnswerForCall(int call)
{
    char fromEnvironment[ANSWERS_BYTES];
    const char* answers = verifier.answers;
    if (!verifier.answersSet) {
        DWORD length = GetEnvironmentVariableA("TAMBLORN_VERIFIER_ANSWERS", fromEnvironment, ANSWERS_BYTES);
        if (length >= static_cast<DWORD>(ANSWERS_BYTES))
            length = 0;
        fromEnvironment[length] = '\0';
        answers = fromEnvironment;
    }
    return call <= static_cast<int>(strlen(answers)) ? answers[call - 1] : '0';
}

}  // namespace

extern "C" {

BOOL WINAPI VerifyScreenSavePwd(HWND owner)
{
    int call = ++verifier.calls;
    verifier.lastOwner = owner;
    if (verifier.whileOpen)
        verifier.whileOpen(owner);
    BOOL accepted = AnswerForCall(call) == ACCEPT;
    AppendDoubleLog("VerifyScreenSavePwd call=%d owner=%llu answer=%d", call,
                    static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)), accepted ? 1 : 0);
    return accepted;
}

void WINAPI DoubleResetVerifier()
{
    memset(&verifier, 0, sizeof verifier);
}

void WINAPI DoubleSetVerifierAnswers(const char* answers)
{
    lstrcpynA(verifier.answers, answers, ANSWERS_BYTES);
    verifier.answersSet = 1;
}

int WINAPI DoubleVerifierCalls()
{
    return verifier.calls;
}

HWND WINAPI DoubleLastVerifierOwner()
{
    return verifier.lastOwner;
}

void WINAPI DoubleSetVerifierWhileOpen(VerifierWhileOpen whileOpen)
{
    verifier.whileOpen = whileOpen;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    return LogLoadingOf("PASSWORD.CPL", reason, reserved);
}

}  // extern "C"
