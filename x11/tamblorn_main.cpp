// tamblorn: the burning text or bonfire as a program of the XScreenSaver
// family. It draws on the window the daemon gives, on the root, or in a
// window of its own, every 100 ms, until a signal or the window's end.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <poll.h>

#include <clocale>
#include <cstdio>

#include "draw_window.h"
#include "flame_canvas.h"
#include "monitor_boxes.h"
#include "native_canvas.h"
#include "run_clock.h"
#include "saver_options.h"
#include "saver_settings.h"
#include "settings_mend.h"
#include "x11_surface.h"

namespace {

const int EXIT_FAULT = 1;

// Everything the program holds, from the start to the end of the run. The
// signal and X error handlers reach it here: they are handed no context.
struct SaverProgram {
    Display* display;
    int stopPipe[2];
    bool ending;
    int32_t ticksDone;
    int64_t nextTick;
    SaverSettings settings;
    FlameCanvas canvas;
    MonitorLayout monitors;
    NativeCanvas native;
    TextFit fit;
    DrawWindow drawWindow;
    X11Surface surface;
};

SaverProgram saverProgram = {};

void NoteStopSignal(int)
{
    NoteStop(saverProgram.stopPipe[1]);
}

int NoteXError(Display*, XErrorEvent* error)
{
    NoteSurfaceError(saverProgram.surface, *error);
    return 0;
}

void ShowCanvas(SaverProgram& program)
{
    PutCanvasPicture(program.surface, program.canvas);
    XSync(program.display, False);
}

void ShowCanvasOnBlack(SaverProgram& program)
{
    PaintWindowBlack(program.surface, program.canvas);
    ShowCanvas(program);
}

void FollowWindowSize(SaverProgram& program, int32_t width, int32_t height)
{
    ReadX11Monitors(program.monitors, program.display, program.drawWindow.window, width, height);
    if (FollowClientSize(program.canvas, program.monitors, width, height))
        ShowCanvasOnBlack(program);
}

void HandleEvent(SaverProgram& program, const XEvent& event)
{
    if (event.xany.window != program.drawWindow.window)
        return;
    switch (event.type) {
    case DestroyNotify:
        program.ending = true;
        break;
    case ConfigureNotify:
        FollowWindowSize(program, event.xconfigure.width, event.xconfigure.height);
        break;
    case Expose:
        if (event.xexpose.count == 0)
            ShowCanvasOnBlack(program);
        break;
    case KeyPress: {
        KeySym key = XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0);
        program.ending = program.ending || key == XK_q || key == XK_Escape;
        break;
    }
    case ClientMessage:
        if (program.drawWindow.ownWindow &&
            static_cast<Atom>(event.xclient.data.l[0]) == program.drawWindow.deleteWindow)
            program.ending = true;
        break;
    }
}

void Tick(SaverProgram& program, const SaverOptions& options)
{
    if (TickSaverCanvas(program.canvas, program.settings, program.monitors))
        PaintWindowBlack(program.surface, program.canvas);
    ShowCanvas(program);
    ++program.ticksDone;
    if (options.ticks > 0 && program.ticksDone >= options.ticks)
        program.ending = true;
}

void RunLoop(SaverProgram& program, const SaverOptions& options)
{
    Display* display = program.display;
    // The first frame is shown at once; the ticks follow every 100 ms.
    program.nextTick = Now();
    while (!program.ending && !program.surface.windowGone) {
        while (XPending(display) && !program.ending) {
            XEvent event;
            XNextEvent(display, &event);
            HandleEvent(program, event);
        }
        if (program.ending || program.surface.windowGone)
            break;
        if (program.nextTick <= Now()) {
            Tick(program, options);
            program.nextTick = NextTick(program.nextTick);
            continue;
        }
        pollfd watched[] = {{ConnectionNumber(display), POLLIN, 0}, {program.stopPipe[0], POLLIN, 0}};
        poll(watched, 2, MillisecondsUntil(program.nextTick));
        if (watched[1].revents & POLLIN)
            program.ending = true;
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
    SaverProgram& program = saverProgram;
    program.settings = STARTING_SETTINGS;
    int exitCode = 0;
    if (!StartSaverRun(argc, argv, "tamblorn", false, &options, program.settings, &exitCode))
        return exitCode;
    if (!CatchStopSignals(program.stopPipe, NoteStopSignal))
        return Fail("no pipe for the signals");
    program.display = XOpenDisplay(options.displayName);
    if (!program.display)
        return Fail("cannot open the display");
    XSetErrorHandler(NoteXError);
    const char* message = nullptr;
    if (!ChooseDrawWindow(program.drawWindow, program.display, options, &message) ||
        !OpenSurface(program.surface, program.display, program.drawWindow.window, &message)) {
        XCloseDisplay(program.display);
        return Fail(message);
    }
    // The size read with the visual: a window gone since then ends the run
    // through the error handler, never with sizes that were not read.
    int32_t width = program.surface.windowWidth;
    int32_t height = program.surface.windowHeight;
    ReadX11Monitors(program.monitors, program.display, program.drawWindow.window, width, height);
    program.fit = {options.fit != 0, ReadXftDpi(program.display)};
    program.native.facePattern = options.fontPattern;
    program.native.fixedSeed = options.haveSeed;
    program.native.seed = static_cast<uint32_t>(options.seed);
    SaverSettings asked = program.settings;
    unsigned mends = SetUpBurningCanvas(program.canvas, program.settings, program.monitors, program.native,
                                        program.fit, width, height);
    ReportCanvasMends("tamblorn", asked, program.settings, program.native, mends);
    SeedJumpRandom(program.canvas,
                   options.haveSeed ? static_cast<uint32_t>(options.seed) : JumpSeedFromClockAndProcess());
    bool imageReady = CreateSurfaceImage(program.surface, program.canvas.width, program.canvas.height);
    PaintWindowBlack(program.surface, program.canvas);
    XSync(program.display, False);
    if (imageReady)
        RunLoop(program, options);
    CloseSurface(program.surface);
    ReleaseDrawWindow(program.drawWindow, program.display);
    XCloseDisplay(program.display);
    ReleaseSaverCanvas(program.canvas, NativeCanvasPlatform(&program.native));
    return imageReady ? 0 : Fail("no image for the canvas");
}
