// tamblorn: the burning text or bonfire as a program of the XScreenSaver
// family. It draws on the window the daemon gives, on the root, or in a
// window of its own, every 100 ms, until a signal or the window's end.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <ctime>

#include "draw_window.h"
#include "flame_canvas.h"
#include "monitor_boxes.h"
#include "native_canvas.h"
#include "saver_options.h"
#include "saver_settings.h"
#include "settings_file.h"
#include "text_raster.h"
#include "x11_surface.h"

namespace {

const int EXIT_FAULT = 1;
const int64_t NANOSECONDS_PER_MILLISECOND = 1000000;
const int64_t TICK_NANOSECONDS = EFFECT_TICK_MS * NANOSECONDS_PER_MILLISECOND;
const int STOP_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};

struct RunState {
    Display* display;
    int stopPipe[2];
    bool ending;
    int32_t ticksDone;
    int64_t nextTick;
};

RunState runState;

void NoteStopSignal(int)
{
    const char byte = 0;
    ssize_t written = write(runState.stopPipe[1], &byte, 1);
    (void)written;
}

int NoteXError(Display*, XErrorEvent* error)
{
    if (error->resourceid == drawWindow.window && (error->error_code == BadWindow || error->error_code == BadDrawable))
        x11Surface.windowGone = true;
    return 0;
}

bool CatchStopSignals()
{
    if (pipe(runState.stopPipe) != 0)
        return false;
    for (int end : runState.stopPipe)
        fcntl(end, F_SETFD, FD_CLOEXEC);
    fcntl(runState.stopPipe[1], F_SETFL, O_NONBLOCK);
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

void ShowCanvas()
{
    PutCanvasPicture();
    XSync(runState.display, False);
}

void FollowWindowSize(int32_t width, int32_t height)
{
    ReadX11Monitors(runState.display, drawWindow.window, width, height);
    if (FollowClientSize(width, height)) {
        PaintWindowBlack();
        ShowCanvas();
    }
}

void HandleEvent(const XEvent& event)
{
    if (event.xany.window != drawWindow.window)
        return;
    switch (event.type) {
    case DestroyNotify:
        runState.ending = true;
        break;
    case ConfigureNotify:
        FollowWindowSize(event.xconfigure.width, event.xconfigure.height);
        break;
    case Expose:
        if (event.xexpose.count == 0) {
            PaintWindowBlack();
            ShowCanvas();
        }
        break;
    case KeyPress: {
        KeySym key = XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0);
        runState.ending = runState.ending || key == XK_q || key == XK_Escape;
        break;
    }
    case ClientMessage:
        if (drawWindow.ownWindow && static_cast<Atom>(event.xclient.data.l[0]) == drawWindow.deleteWindow)
            runState.ending = true;
        break;
    }
}

void Tick(const SaverOptions& options)
{
    if (TickSaverCanvas())
        PaintWindowBlack();
    ShowCanvas();
    ++runState.ticksDone;
    if (options.ticks > 0 && runState.ticksDone >= options.ticks)
        runState.ending = true;
}

void RunLoop(const SaverOptions& options)
{
    Display* display = runState.display;
    // The first frame is shown at once; the ticks follow every 100 ms.
    runState.nextTick = Now();
    while (!runState.ending && !x11Surface.windowGone) {
        while (XPending(display) && !runState.ending) {
            XEvent event;
            XNextEvent(display, &event);
            HandleEvent(event);
        }
        if (runState.ending || x11Surface.windowGone)
            break;
        int64_t wait = runState.nextTick - Now();
        if (wait <= 0) {
            Tick(options);
            runState.nextTick += TICK_NANOSECONDS;
            // After a long stall the ticks start again from now, not in a burst.
            if (runState.nextTick < Now())
                runState.nextTick = Now() + TICK_NANOSECONDS;
            continue;
        }
        pollfd watched[] = {{ConnectionNumber(display), POLLIN, 0}, {runState.stopPipe[0], POLLIN, 0}};
        int waitMilliseconds = static_cast<int>((wait + NANOSECONDS_PER_MILLISECOND - 1) / NANOSECONDS_PER_MILLISECOND);
        poll(watched, 2, waitMilliseconds);
        if (watched[1].revents & POLLIN)
            runState.ending = true;
    }
}

int Fail(const char* message)
{
    fprintf(stderr, "tamblorn: %s\n", message);
    return EXIT_FAULT;
}

}  // namespace

int main(int argc, char** argv)
{
    setlocale(LC_ALL, "");
    SaverOptions options;
    if (!ReadSaverOptions(argc, argv, &options)) {
        WriteSaverUsage(stderr);
        return EXIT_FAULT;
    }
    if (options.askHelp || options.askVersion) {
        if (options.askHelp)
            WriteSaverUsage(stdout);
        else
            fputs("tamblorn " TAMBLORN_VERSION "\n", stdout);
        return 0;
    }
    if (!CatchStopSignals())
        return Fail("no pipe for the signals");
    if (!LoadNativeSettings())
        fputs("tamblorn: the settings file is not a regular file: the default settings are used\n", stderr);
    ApplySaverOptions(options);
    runState.display = XOpenDisplay(options.displayName);
    if (!runState.display)
        return Fail("cannot open the display");
    XSetErrorHandler(NoteXError);
    const char* message = nullptr;
    if (!ChooseDrawWindow(runState.display, options, &message) ||
        !OpenSurface(runState.display, drawWindow.window, &message)) {
        XCloseDisplay(runState.display);
        return Fail(message);
    }
    // The size read with the visual: a window gone since then ends the run
    // through the error handler, never with sizes that were not read.
    int32_t width = x11Surface.windowWidth;
    int32_t height = x11Surface.windowHeight;
    ReadX11Monitors(runState.display, drawWindow.window, width, height);
    textFit.on = options.fit != 0;
    textFit.dotsPerInch = ReadXftDpi(runState.display);
    if (options.fontPattern)
        canvasFacePattern = options.fontPattern;
    SaverSettings asked = saverSettings;
    ReportCanvasMends("tamblorn", asked, SetUpBurningCanvas(width, height));
    if (options.haveSeed)
        SeedNoise(static_cast<uint32_t>(options.seed));
    SeedJumpRandom(options.haveSeed ? static_cast<uint32_t>(options.seed) : JumpSeedFromClockAndProcess());
    bool imageReady = CreateSurfaceImage(flameCanvas.width, flameCanvas.height);
    PaintWindowBlack();
    XSync(runState.display, False);
    if (imageReady)
        RunLoop(options);
    CloseSurface();
    ReleaseDrawWindow(runState.display);
    XCloseDisplay(runState.display);
    ReleaseSaverCanvas(nativeCanvasPlatform);
    return imageReady ? 0 : Fail("no image for the canvas");
}
