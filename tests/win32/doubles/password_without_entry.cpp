// A "PASSWORD.CPL" that lacks the verifier entry, as a damaged or foreign library
// of that name would.
#include <windows.h>

extern "C" {

int WINAPI DoubleHasNoVerifierEntry()
{
    return 1;
}

}  // extern "C"
