// The Wayland program's one state record: the compositor's globals it binds,
// a full-screen surface with its shared-memory buffers on each output, the
// input that ends the run and the run's own flags. Every function of the
// program is handed this record (or an output of it).
#ifndef TAMBLORN_WAYLAND_SAVER_H
#define TAMBLORN_WAYLAND_SAVER_H

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>

#include "native_canvas.h"
#include "pointer_travel.h"
#include "xdg-shell-client-protocol.h"

const int OUTPUT_LIMIT = MONITOR_LIMIT;
// One buffer on the screen and one to draw into while the compositor holds it.
const int OUTPUT_BUFFERS = 2;

struct ShmBuffer {
    wl_buffer* buffer;
    uint32_t* pixels;  // 0x00RRGGBB, the canvas's own word (XRGB8888)
    size_t bytes;
    bool busy;  // attached and not yet released by the compositor
    bool stale;  // black everywhere before the canvas goes in
};

struct WaylandSaver;

struct OutputSurface {
    bool inUse;  // listeners hold the record's address: a gone output frees its slot, none moves
    WaylandSaver* saver;
    wl_output* output;
    uint32_t globalName;
    int32_t scale;
    int32_t logicalX;  // the output's place in the compositor's layout
    int32_t logicalY;
    int32_t modeWidth;  // the current mode in pixels
    int32_t modeHeight;
    wl_surface* surface;
    xdg_surface* xdgSurface;
    xdg_toplevel* toplevel;
    int32_t askedWidth;  // the last configure's size in surface units (0: the client's choice)
    int32_t askedHeight;
    bool configured;
    // The buffers' size in pixels: the surface's size times its scale.
    int32_t pixelWidth;
    int32_t pixelHeight;
    int32_t bufferScale;
    ShmBuffer buffers[OUTPUT_BUFFERS];
    bool needsBlack;  // the surface shows something other than black outside the canvas
    bool behind;  // its last frame waits for a buffer the compositor still holds
    MonitorBox box;  // where its pixels stand in the canvas's client area
};

struct WaylandSaver {
    // The records the run works on: the settings, the canvas, the outputs as
    // monitors, and the native hooks' own with the fit of the text.
    SaverSettings settings;
    FlameCanvas canvas;
    MonitorLayout monitors;
    NativeCanvas native;
    TextFit fit;
    wl_display* display;
    wl_registry* registry;
    wl_compositor* compositor;
    uint32_t compositorVersion;
    wl_shm* shm;
    xdg_wm_base* wmBase;
    wl_seat* seat;
    wl_keyboard* keyboard;
    wl_pointer* pointer;
    OutputSurface outputs[OUTPUT_LIMIT];  // the first slot in use is the primary output
    // The pointer's place in the compositor's layout, from the surface it is over.
    OutputSurface* pointerOutput;
    PointerTravel travel;
    // The canvas's client area: the outputs side by side, in pixels.
    int32_t clientWidth;
    int32_t clientHeight;
    bool canvasReady;
    bool layoutChanged;  // an output's size or scale changed since the canvas was placed
    bool ending;  // input or the compositor asked the run to end
    bool lost;  // the connection to the compositor broke
    bool noBuffers;  // the outputs' shared-memory buffers could not be made
    bool ticking;  // false once the asked ticks are done: the last frame stays
    int32_t ticksDone;
    int64_t nextTick;
    int stopPipe[2];
};

#endif
