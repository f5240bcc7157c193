// A full-screen xdg-shell surface on each output, drawn from shared-memory
// buffers at the output's own pixel size (the surface's size times the
// output's scale, with that buffer scale: a HiDPI output shows the canvas's
// pixels one to one). The outputs stand side by side in the canvas's client
// area, each a monitor box, so that the canvas burns and jumps inside one.
#ifndef TAMBLORN_OUTPUT_SURFACES_H
#define TAMBLORN_OUTPUT_SURFACES_H

#include "wayland_saver.h"

// Asks for a full-screen surface on the output; it is configured later.
void CoverOutput(WaylandSaver* saver, OutputSurface* output);
// True once every output has had its first configure.
bool OutputsConfigured(const WaylandSaver* saver);
// Sizes each configured output's buffers and places its box in the
// monitor layout and the client area (0 x 0 without an output); false when
// no buffer can be made.
bool LayOutOutputs(WaylandSaver* saver);
// Shows the canvas on the output it stands on and black on the others; after
// a move (moved) every output is blackened first.
void ShowCanvasOnOutputs(WaylandSaver* saver, bool moved);
// Shows the frame on the outputs that had no free buffer for it.
void CatchUpOutputs(WaylandSaver* saver);
void ReleaseOutputSurface(OutputSurface* output);

#endif
