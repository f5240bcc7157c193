#include "run_clock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <ctime>

namespace {

const int64_t NANOSECONDS_PER_SECOND = 1000 * NANOSECONDS_PER_MILLISECOND;
const int STOP_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};

}  // namespace

int64_t Now()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * NANOSECONDS_PER_SECOND + now.tv_nsec;
}

int64_t NextTick(int64_t due)
{
    int64_t now = Now();
    return due + TICK_NANOSECONDS < now ? now + TICK_NANOSECONDS : due + TICK_NANOSECONDS;
}

int MillisecondsUntil(int64_t due)
{
    return static_cast<int>((due - Now() + NANOSECONDS_PER_MILLISECOND - 1) / NANOSECONDS_PER_MILLISECOND);
}

bool CatchStopSignals(int stopPipe[2], void (*handler)(int))
{
    if (pipe(stopPipe) != 0)
        return false;
    for (int end = 0; end < 2; ++end)
        fcntl(stopPipe[end], F_SETFD, FD_CLOEXEC);
    fcntl(stopPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int signal : STOP_SIGNALS)
        sigaction(signal, &action, nullptr);
    return true;
}

void NoteStop(int pipeEnd)
{
    const char byte = 0;
    ssize_t written = write(pipeEnd, &byte, 1);
    (void)written;
}
