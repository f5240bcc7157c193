#include "seat_input.h"

#include <unistd.h>

namespace {

// The output under the pointer's surface, for the pointer's place in the
// compositor's layout (the travel is measured across outputs).
OutputSurface* OutputOfSurface(WaylandSaver* saver, wl_surface* surface)
{
    for (OutputSurface& output : saver->outputs)
        if (output.inUse && output.surface && output.surface == surface)
            return &output;
    return nullptr;
}

void FollowPointer(WaylandSaver* saver, wl_fixed_t surfaceX, wl_fixed_t surfaceY)
{
    const OutputSurface* output = saver->pointerOutput;
    if (!output)
        return;
    int32_t x = output->logicalX + wl_fixed_to_int(surfaceX);
    int32_t y = output->logicalY + wl_fixed_to_int(surfaceY);
    if (PointerTravelEnds(&saver->travel, x, y))
        saver->ending = true;
}

void PointerEnters(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    WaylandSaver* saver = static_cast<WaylandSaver*>(data);
    // No cursor over the fire.
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    saver->pointerOutput = OutputOfSurface(saver, surface);
    FollowPointer(saver, x, y);
}

void PointerLeaves(void* data, wl_pointer*, uint32_t, wl_surface*)
{
    static_cast<WaylandSaver*>(data)->pointerOutput = nullptr;
}

void PointerMoves(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    FollowPointer(static_cast<WaylandSaver*>(data), x, y);
}

void ButtonChanges(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state)
{
    if (state == WL_POINTER_BUTTON_STATE_PRESSED)
        static_cast<WaylandSaver*>(data)->ending = true;
}

void AxisMoves(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void FrameEnds(void*, wl_pointer*) {}
void AxisSource(void*, wl_pointer*, uint32_t) {}
void AxisStops(void*, wl_pointer*, uint32_t, uint32_t) {}
void AxisSteps(void*, wl_pointer*, uint32_t, int32_t) {}
void AxisHighResolution(void*, wl_pointer*, uint32_t, int32_t) {}

const wl_pointer_listener POINTER_LISTENER = {PointerEnters, PointerLeaves, PointerMoves, ButtonChanges, AxisMoves,
                                              FrameEnds,     AxisSource,    AxisStops,    AxisSteps,
                                              AxisHighResolution};

// The keymap is not needed: every key ends the run.
void KeymapComes(void*, wl_keyboard*, uint32_t, int32_t file, uint32_t)
{
    close(file);
}

// Keys already down when the fire takes the focus (the one that started it
// from a terminal) end nothing; their release neither.
void KeyboardEnters(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void KeyboardLeaves(void*, wl_keyboard*, uint32_t, wl_surface*) {}

void KeyChanges(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state)
{
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED)
        static_cast<WaylandSaver*>(data)->ending = true;
}

void ModifiersChange(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void RepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

const wl_keyboard_listener KEYBOARD_LISTENER = {KeymapComes, KeyboardEnters,  KeyboardLeaves,
                                                KeyChanges,  ModifiersChange, RepeatInfo};

void CapabilitiesChange(void* data, wl_seat* seat, uint32_t capabilities)
{
    WaylandSaver* saver = static_cast<WaylandSaver*>(data);
    bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (keyboard && !saver->keyboard) {
        saver->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(saver->keyboard, &KEYBOARD_LISTENER, saver);
    } else if (!keyboard && saver->keyboard) {
        wl_keyboard_destroy(saver->keyboard);
        saver->keyboard = nullptr;
    }
    if (pointer && !saver->pointer) {
        saver->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(saver->pointer, &POINTER_LISTENER, saver);
    } else if (!pointer && saver->pointer) {
        wl_pointer_destroy(saver->pointer);
        saver->pointer = nullptr;
        saver->pointerOutput = nullptr;
    }
}

void SeatNamed(void*, wl_seat*, const char*) {}

const wl_seat_listener SEAT_LISTENER = {CapabilitiesChange, SeatNamed};

}  // namespace

void ListenToSeat(WaylandSaver* saver)
{
    wl_seat_add_listener(saver->seat, &SEAT_LISTENER, saver);
}

void ReleaseSeat(WaylandSaver* saver)
{
    if (saver->keyboard)
        wl_keyboard_destroy(saver->keyboard);
    if (saver->pointer)
        wl_pointer_destroy(saver->pointer);
    if (saver->seat)
        wl_seat_destroy(saver->seat);
    saver->keyboard = nullptr;
    saver->pointer = nullptr;
    saver->seat = nullptr;
}
