// tamblorn-wayland: the burning text or bonfire on every output of a Wayland
// compositor, started by the desktop's idle tool (swayidle and the like). It
// ends on the first key, button or pointer move beyond the slack, or a
// signal, with 0; a compositor that goes away ends it with 1 and a line.
#include <poll.h>

#include <cerrno>
#include <clocale>
#include <cstdio>

#include "compositor_globals.h"
#include "native_canvas.h"
#include "output_surfaces.h"
#include "run_clock.h"
#include "saver_options.h"
#include "saver_settings.h"
#include "text_raster.h"

namespace {

const char PROGRAM[] = "tamblorn-wayland";
const int EXIT_FAULT = 1;
const int WAIT_FOREVER = -1;

// Everything the program holds; the signal handler, handed no context, reaches it here.
WaylandSaver waylandSaver = {};

void NoteStopSignal(int)
{
    NoteStop(waylandSaver.stopPipe[1]);
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
        if (saver->ticking && saver->nextTick <= Now()) {
            Tick(saver, options);
            saver->nextTick = NextTick(saver->nextTick);
            continue;
        }
        WaitForEvents(saver, saver->ticking ? MillisecondsUntil(saver->nextTick) : WAIT_FOREVER);
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
    WaylandSaver& saver = waylandSaver;
    saver.settings = STARTING_SETTINGS;
    int exitCode = 0;
    if (!StartSaverRun(argc, argv, PROGRAM, true, &options, saver.settings, &exitCode))
        return exitCode;
    if (!CatchStopSignals(saver.stopPipe, NoteStopSignal))
        return Fail("no pipe for the signals");
    int code = Run(&saver, options);
    DisconnectFromCompositor(&saver);
    ReleaseSaverCanvas(saver.canvas, NativeCanvasPlatform(&saver.native));
    return code;
}
