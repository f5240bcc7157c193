// tamblorn-wayland: the burning text or bonfire on every output of a Wayland
// compositor, started by the desktop's idle tool (swayidle and the like). It
// ends on the first key, button or pointer move beyond the slack, or a
// signal, with 0; a compositor that goes away ends it with 1 and a line.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <ctime>

#include "compositor_globals.h"
#include "native_canvas.h"
#include "output_surfaces.h"
#include "saver_options.h"
#include "saver_settings.h"
#include "text_raster.h"

namespace {

const char PROGRAM[] = "tamblorn-wayland";
const int EXIT_FAULT = 1;
const int64_t NANOSECONDS_PER_MILLISECOND = 1000000;
const int64_t TICK_NANOSECONDS = EFFECT_TICK_MS * NANOSECONDS_PER_MILLISECOND;
const int STOP_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};
const int WAIT_FOREVER = -1;

// The signal handler's one way to the run: a byte into the record's pipe.
int stopSignalPipe = -1;

void NoteStopSignal(int)
{
    const char byte = 0;
    ssize_t written = write(stopSignalPipe, &byte, 1);
    (void)written;
}

bool CatchStopSignals(WaylandSaver* saver)
{
    if (pipe(saver->stopPipe) != 0)
        return false;
    for (int end : saver->stopPipe)
        fcntl(end, F_SETFD, FD_CLOEXEC);
    fcntl(saver->stopPipe[1], F_SETFL, O_NONBLOCK);
    stopSignalPipe = saver->stopPipe[1];
    struct sigaction action = {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : STOP_SIGNALS)
        sigaction(signal, &action, nullptr);
    return true;
}

int64_t Now()
{
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 * NANOSECONDS_PER_MILLISECOND + now.tv_nsec;
}

int Fail(const char* message)
{
    fprintf(stderr, "%s: %s\n", PROGRAM, message);
    return EXIT_FAULT;
}

// Reads and dispatches what the compositor sent, waiting at most the given
// time for it or a signal; a broken connection marks the run lost.
void WaitForEvents(WaylandSaver* saver, int waitMilliseconds)
{
    wl_display* display = saver->display;
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0) {
            saver->lost = true;
            return;
        }
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        saver->lost = true;
        return;
    }
    pollfd watched[] = {{wl_display_get_fd(display), POLLIN, 0}, {saver->stopPipe[0], POLLIN, 0}};
    if (poll(watched, 2, waitMilliseconds) > 0 && watched[0].revents) {
        if (wl_display_read_events(display) < 0) {
            saver->lost = true;
            return;
        }
    } else {
        wl_display_cancel_read(display);
    }
    if (wl_display_dispatch_pending(display) < 0)
        saver->lost = true;
    if (watched[1].revents & POLLIN)
        saver->ending = true;
}

bool Running(const WaylandSaver& saver)
{
    return !saver.ending && !saver.lost && !saver.noBuffers;
}

// A new output, one gone, or a new size or scale: the canvas is placed
// again in the new client area.
void FollowLayout(WaylandSaver* saver)
{
    if (!saver->layoutChanged || !OutputsConfigured(saver))
        return;
    if (!LayOutOutputs(saver)) {
        saver->noBuffers = true;
        return;
    }
    // With every output gone there is nothing to show until one comes back.
    if (saver->clientWidth == 0)
        return;
    // Outputs of another order or size in a client area of the same size move the boxes all the same.
    if (!FollowClientSize(saver->canvas, saver->monitors, saver->clientWidth, saver->clientHeight))
        PlaceCanvasAtStart(saver->canvas, saver->monitors, saver->clientWidth, saver->clientHeight);
    ShowCanvasOnOutputs(saver, true);
}

void Tick(WaylandSaver* saver, const SaverOptions& options)
{
    ShowCanvasOnOutputs(saver, TickSaverCanvas(saver->canvas, saver->settings, saver->monitors));
    ++saver->ticksDone;
    // With a tick count (for tests and pictures) the last frame stays until the run ends.
    if (options.ticks > 0 && saver->ticksDone >= options.ticks)
        saver->ticking = false;
}

void RunLoop(WaylandSaver* saver, const SaverOptions& options)
{
    saver->ticking = options.ticks == 0 || saver->ticksDone < options.ticks;
    saver->nextTick = Now() + TICK_NANOSECONDS;
    while (Running(*saver)) {
        FollowLayout(saver);
        CatchUpOutputs(saver);
        int64_t wait = saver->nextTick - Now();
        if (saver->ticking && wait <= 0) {
            Tick(saver, options);
            saver->nextTick += TICK_NANOSECONDS;
            // After a long stall the ticks start again from now, not in a burst.
            if (saver->nextTick < Now())
                saver->nextTick = Now() + TICK_NANOSECONDS;
            continue;
        }
        int waitMilliseconds = saver->ticking ? static_cast<int>((wait + NANOSECONDS_PER_MILLISECOND - 1) /
                                                                 NANOSECONDS_PER_MILLISECOND)
                                              : WAIT_FOREVER;
        WaitForEvents(saver, waitMilliseconds);
    }
}

// Every output gets its surface, and the run waits for the compositor to
// size them all before the canvas is laid out.
bool CoverEveryOutput(WaylandSaver* saver)
{
    for (OutputSurface& output : saver->outputs)
        if (output.inUse)
            CoverOutput(saver, &output);
    while (Running(*saver) && !OutputsConfigured(saver))
        WaitForEvents(saver, WAIT_FOREVER);
    return Running(*saver);
}

void SetUpFire(WaylandSaver* saver, const SaverOptions& options)
{
    const OutputSurface* first = nullptr;
    for (const OutputSurface& output : saver->outputs)
        first = first || !output.inUse ? first : &output;
    // The fitted text grows with the first output's scale, as it does with Xft.dpi under X11.
    saver->fit = {options.fit != 0, first ? FIT_REFERENCE_DPI * first->scale : 0};
    saver->native.facePattern = options.fontPattern;
    saver->native.fixedSeed = options.haveSeed;
    saver->native.seed = static_cast<uint32_t>(options.seed);
    SaverSettings asked = saver->settings;
    unsigned mends = SetUpBurningCanvas(saver->canvas, saver->settings, saver->monitors, saver->native, saver->fit,
                                        saver->clientWidth, saver->clientHeight);
    ReportCanvasMends(PROGRAM, asked, saver->settings, saver->native, mends);
    SeedJumpRandom(saver->canvas,
                   options.haveSeed ? static_cast<uint32_t>(options.seed) : JumpSeedFromClockAndProcess());
    saver->canvasReady = true;
}

int Run(WaylandSaver* saver, const SaverOptions& options)
{
    const char* message = nullptr;
    if (!ConnectToCompositor(saver, &message))
        return Fail(message);
    if (CoverEveryOutput(saver) && !LayOutOutputs(saver))
        saver->noBuffers = true;
    if (Running(*saver)) {
        SetUpFire(saver, options);
        // The first frame is shown at once; the ticks follow every 100 ms.
        ShowCanvasOnOutputs(saver, true);
        RunLoop(saver, options);
    }
    if (saver->noBuffers)
        return Fail("no shared-memory buffer for the outputs");
    if (saver->lost)
        return Fail(wl_display_get_error(saver->display) == EPROTO ? "the compositor refused a request (protocol error)"
                                                                   : "the compositor went away");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    setlocale(LC_ALL, "");
    SaverOptions options;
    static WaylandSaver saver;
    saver.settings = STARTING_SETTINGS;
    int exitCode = 0;
    if (!StartSaverRun(argc, argv, PROGRAM, true, &options, saver.settings, &exitCode))
        return exitCode;
    if (!CatchStopSignals(&saver))
        return Fail("no pipe for the signals");
    int code = Run(&saver, options);
    DisconnectFromCompositor(&saver);
    ReleaseSaverCanvas(saver.canvas, NativeCanvasPlatform(&saver.native));
    return code;
}
