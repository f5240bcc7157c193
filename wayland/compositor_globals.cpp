#include "compositor_globals.h"

#include <cstring>

#include "output_surfaces.h"
#include "seat_input.h"

namespace {

// The versions the program speaks: buffer scale needs the compositor's 3 and
// the output's 2; damage in buffer pixels comes with the compositor's 4.
const uint32_t COMPOSITOR_VERSION = 4;
const uint32_t SHM_VERSION = 1;
const uint32_t WM_BASE_VERSION = 1;
const uint32_t SEAT_VERSION = 5;
const uint32_t OUTPUT_VERSION = 2;
const int32_t NO_SCALE = 1;

uint32_t Lower(uint32_t offered, uint32_t spoken)
{
    return offered < spoken ? offered : spoken;
}

void NoteGeometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*, const char*,
                  int32_t)
{
    OutputSurface* output = static_cast<OutputSurface*>(data);
    output->logicalX = x;
    output->logicalY = y;
}

void NoteMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    OutputSurface* output = static_cast<OutputSurface*>(data);
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        output->modeWidth = width;
        output->modeHeight = height;
    }
}

void NoteOutputDone(void* data, wl_output*)
{
    OutputSurface* output = static_cast<OutputSurface*>(data);
    if (output->configured && output->scale != output->bufferScale)
        output->saver->layoutChanged = true;
}

void NoteScale(void* data, wl_output*, int32_t factor)
{
    static_cast<OutputSurface*>(data)->scale = factor > 0 ? factor : NO_SCALE;
}

void NoteOutputName(void*, wl_output*, const char*) {}

const wl_output_listener OUTPUT_LISTENER = {NoteGeometry, NoteMode, NoteOutputDone, NoteScale, NoteOutputName,
                                            NoteOutputName};

void AnswerPing(void*, xdg_wm_base* wmBase, uint32_t serial)
{
    xdg_wm_base_pong(wmBase, serial);
}

const xdg_wm_base_listener WM_BASE_LISTENER = {AnswerPing};

void AddOutput(WaylandSaver* saver, uint32_t name, uint32_t version)
{
    OutputSurface* output = saver->outputs;
    while (output < saver->outputs + OUTPUT_LIMIT && output->inUse)
        ++output;
    if (output == saver->outputs + OUTPUT_LIMIT)
        return;
    *output = OutputSurface();
    output->inUse = true;
    output->saver = saver;
    output->globalName = name;
    output->scale = NO_SCALE;
    output->output =
        static_cast<wl_output*>(wl_registry_bind(saver->registry, name, &wl_output_interface, Lower(version, OUTPUT_VERSION)));
    wl_output_add_listener(output->output, &OUTPUT_LISTENER, output);
    // An output that comes while the fire burns is covered too.
    if (saver->canvasReady)
        CoverOutput(saver, output);
}

void NoteGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    WaylandSaver* saver = static_cast<WaylandSaver*>(data);
    if (strcmp(interface, wl_compositor_interface.name) == 0 && !saver->compositor) {
        saver->compositorVersion = Lower(version, COMPOSITOR_VERSION);
        saver->compositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, saver->compositorVersion));
    } else if (strcmp(interface, wl_shm_interface.name) == 0 && !saver->shm) {
        saver->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, SHM_VERSION));
    } else if (strcmp(interface, xdg_wm_base_interface.name) == 0 && !saver->wmBase) {
        saver->wmBase = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, WM_BASE_VERSION));
        xdg_wm_base_add_listener(saver->wmBase, &WM_BASE_LISTENER, saver);
    } else if (strcmp(interface, wl_seat_interface.name) == 0 && !saver->seat) {
        saver->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, Lower(version, SEAT_VERSION)));
        ListenToSeat(saver);
    } else if (strcmp(interface, wl_output_interface.name) == 0) {
        AddOutput(saver, name, version);
    }
}

void NoteGlobalGone(void* data, wl_registry*, uint32_t name)
{
    WaylandSaver* saver = static_cast<WaylandSaver*>(data);
    for (OutputSurface& output : saver->outputs) {
        if (!output.inUse || output.globalName != name)
            continue;
        ReleaseOutputSurface(&output);
        wl_output_destroy(output.output);
        output.inUse = false;
        if (saver->pointerOutput == &output)
            saver->pointerOutput = nullptr;
        saver->layoutChanged = true;
        return;
    }
}

const wl_registry_listener REGISTRY_LISTENER = {NoteGlobal, NoteGlobalGone};

}  // namespace

bool ConnectToCompositor(WaylandSaver* saver, const char** message)
{
    saver->display = wl_display_connect(nullptr);
    if (!saver->display) {
        *message = "cannot connect to a Wayland compositor (WAYLAND_DISPLAY)";
        return false;
    }
    saver->registry = wl_display_get_registry(saver->display);
    wl_registry_add_listener(saver->registry, &REGISTRY_LISTENER, saver);
    // The first round gives the globals, the second the outputs' details.
    if (wl_display_roundtrip(saver->display) < 0 || wl_display_roundtrip(saver->display) < 0) {
        *message = "the compositor went away";
        return false;
    }
    if (!saver->compositor || !saver->shm || !saver->wmBase) {
        *message = "the compositor offers no wl_compositor, wl_shm or xdg_wm_base";
        return false;
    }
    bool anyOutput = false;
    for (const OutputSurface& output : saver->outputs)
        anyOutput = anyOutput || output.inUse;
    if (!anyOutput) {
        *message = "the compositor has no output to cover";
        return false;
    }
    return true;
}

void DisconnectFromCompositor(WaylandSaver* saver)
{
    if (!saver->display)
        return;
    for (OutputSurface& output : saver->outputs) {
        if (!output.inUse)
            continue;
        ReleaseOutputSurface(&output);
        wl_output_destroy(output.output);
        output.inUse = false;
    }
    ReleaseSeat(saver);
    if (saver->wmBase)
        xdg_wm_base_destroy(saver->wmBase);
    if (saver->shm)
        wl_shm_destroy(saver->shm);
    if (saver->compositor)
        wl_compositor_destroy(saver->compositor);
    wl_registry_destroy(saver->registry);
    wl_display_disconnect(saver->display);
    saver->display = nullptr;
}
