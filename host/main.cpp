#include "host_state.h"
#include "start_up.h"

// The runtime's start-up calls main; the arguments it prepared are not used:
// the command line is read raw.
int main(int, char**)
{
    StartFromCommandLine();
}
