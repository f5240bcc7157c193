#include "output_surfaces.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include "saver_canvas.h"

namespace {

const char APP_ID[] = "tamblorn";
const char TITLE[] = "Tamblorn";
const int32_t PIXEL_BYTES = 4;
const uint32_t DAMAGE_BUFFER_VERSION = 4;

void BufferReleased(void* data, wl_buffer*)
{
    static_cast<ShmBuffer*>(data)->busy = false;
}

const wl_buffer_listener BUFFER_LISTENER = {BufferReleased};

void ReleaseBuffers(OutputSurface* output)
{
    for (ShmBuffer& buffer : output->buffers) {
        if (buffer.buffer)
            wl_buffer_destroy(buffer.buffer);
        if (buffer.pixels)
            munmap(buffer.pixels, buffer.bytes);
        buffer = ShmBuffer();
    }
    output->pixelWidth = 0;
    output->pixelHeight = 0;
}

bool MakeBuffer(wl_shm* shm, int32_t width, int32_t height, ShmBuffer* buffer)
{
    int32_t stride = width * PIXEL_BYTES;
    size_t bytes = static_cast<size_t>(stride) * height;
    int file = memfd_create("tamblorn-buffer", MFD_CLOEXEC);
    if (file < 0)
        return false;
    void* mapped = MAP_FAILED;
    if (ftruncate(file, static_cast<off_t>(bytes)) == 0)
        mapped = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    if (mapped == MAP_FAILED) {
        close(file);
        return false;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, file, static_cast<int32_t>(bytes));
    buffer->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(file);
    buffer->pixels = static_cast<uint32_t*>(mapped);
    buffer->bytes = bytes;
    buffer->busy = false;
    buffer->stale = true;
    wl_buffer_add_listener(buffer->buffer, &BUFFER_LISTENER, buffer);
    return true;
}

bool SizeBuffers(WaylandSaver* saver, OutputSurface* output, int32_t width, int32_t height)
{
    if (output->pixelWidth == width && output->pixelHeight == height && output->buffers[0].buffer)
        return true;
    ReleaseBuffers(output);
    for (ShmBuffer& buffer : output->buffers)
        if (!MakeBuffer(saver->shm, width, height, &buffer)) {
            ReleaseBuffers(output);
            return false;
        }
    output->pixelWidth = width;
    output->pixelHeight = height;
    return true;
}

void ToplevelConfigured(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*)
{
    OutputSurface* output = static_cast<OutputSurface*>(data);
    output->askedWidth = width;
    output->askedHeight = height;
}

void ToplevelClosed(void* data, xdg_toplevel*)
{
    static_cast<OutputSurface*>(data)->saver->ending = true;
}

void BoundsSuggested(void*, xdg_toplevel*, int32_t, int32_t) {}
void CapabilitiesTold(void*, xdg_toplevel*, wl_array*) {}

const xdg_toplevel_listener TOPLEVEL_LISTENER = {ToplevelConfigured, ToplevelClosed, BoundsSuggested, CapabilitiesTold};

// The surface's size in surface units: the compositor's, or the output's
// mode at its scale when the compositor leaves it to the program.
void SurfaceSize(const OutputSurface& output, int32_t* width, int32_t* height)
{
    *width = output.askedWidth > 0 ? output.askedWidth : output.modeWidth / output.scale;
    *height = output.askedHeight > 0 ? output.askedHeight : output.modeHeight / output.scale;
}

void SurfaceConfigured(void* data, xdg_surface* surface, uint32_t serial)
{
    OutputSurface* output = static_cast<OutputSurface*>(data);
    xdg_surface_ack_configure(surface, serial);
    int32_t width = 0;
    int32_t height = 0;
    SurfaceSize(*output, &width, &height);
    if (!output->configured || width * output->scale != output->pixelWidth ||
        height * output->scale != output->pixelHeight || output->scale != output->bufferScale)
        output->saver->layoutChanged = true;
    output->configured = true;
}

const xdg_surface_listener SURFACE_LISTENER = {SurfaceConfigured};

// The part of the canvas on this output, in the output's pixels; false when none.
bool CanvasPart(const FlameCanvas& canvas, const OutputSurface& output, int32_t* left, int32_t* top, int32_t* right,
                int32_t* bottom)
{
    if (!canvas.pixels)
        return false;
    *left = canvas.originX > output.box.left ? canvas.originX : output.box.left;
    *top = canvas.originY > output.box.top ? canvas.originY : output.box.top;
    int32_t canvasRight = canvas.originX + canvas.width;
    int32_t canvasBottom = canvas.originY + canvas.height;
    *right = canvasRight < output.box.right ? canvasRight : output.box.right;
    *bottom = canvasBottom < output.box.bottom ? canvasBottom : output.box.bottom;
    return *left < *right && *top < *bottom;
}

void CopyCanvasPart(const FlameCanvas& canvas, const OutputSurface& output, uint32_t* pixels, int32_t left, int32_t top,
                    int32_t right, int32_t bottom)
{
    size_t rowBytes = static_cast<size_t>(right - left) * sizeof(uint32_t);
    for (int32_t y = top; y < bottom; ++y)
        memcpy(pixels + static_cast<size_t>(y - output.box.top) * output.pixelWidth + (left - output.box.left),
               canvas.pixels + static_cast<size_t>(y - canvas.originY) * canvas.width + (left - canvas.originX),
               rowBytes);
}

ShmBuffer* FreeBuffer(OutputSurface* output)
{
    for (ShmBuffer& buffer : output->buffers)
        if (buffer.buffer && !buffer.busy)
            return &buffer;
    return nullptr;
}

void ShowOnOutput(WaylandSaver* saver, OutputSurface* output)
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool part = CanvasPart(saver->canvas, *output, &left, &top, &right, &bottom);
    if (!part && !output->needsBlack)
        return;
    // Both buffers held by the compositor: this output shows the next tick instead.
    ShmBuffer* buffer = FreeBuffer(output);
    output->behind = !buffer;
    if (!buffer)
        return;
    bool whole = buffer->stale || saver->compositorVersion < DAMAGE_BUFFER_VERSION;
    if (buffer->stale) {
        memset(buffer->pixels, 0, buffer->bytes);
        buffer->stale = false;
    }
    if (part)
        CopyCanvasPart(saver->canvas, *output, buffer->pixels, left, top, right, bottom);
    wl_surface_set_buffer_scale(output->surface, output->bufferScale);
    wl_surface_attach(output->surface, buffer->buffer, 0, 0);
    if (whole)
        wl_surface_damage(output->surface, 0, 0, INT32_MAX, INT32_MAX);
    else
        wl_surface_damage_buffer(output->surface, left - output->box.left, top - output->box.top, right - left,
                                 bottom - top);
    wl_surface_commit(output->surface);
    buffer->busy = true;
    output->needsBlack = false;
}

}  // namespace

void CoverOutput(WaylandSaver* saver, OutputSurface* output)
{
    output->surface = wl_compositor_create_surface(saver->compositor);
    output->xdgSurface = xdg_wm_base_get_xdg_surface(saver->wmBase, output->surface);
    xdg_surface_add_listener(output->xdgSurface, &SURFACE_LISTENER, output);
    output->toplevel = xdg_surface_get_toplevel(output->xdgSurface);
    xdg_toplevel_add_listener(output->toplevel, &TOPLEVEL_LISTENER, output);
    xdg_toplevel_set_app_id(output->toplevel, APP_ID);
    xdg_toplevel_set_title(output->toplevel, TITLE);
    xdg_toplevel_set_fullscreen(output->toplevel, output->output);
    output->needsBlack = true;
    // The first commit carries no buffer: the compositor answers with the size.
    wl_surface_commit(output->surface);
}

bool OutputsConfigured(const WaylandSaver* saver)
{
    for (const OutputSurface& output : saver->outputs)
        if (output.inUse && !output.configured)
            return false;
    return true;
}

bool LayOutOutputs(WaylandSaver* saver)
{
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    bool primary = true;
    for (OutputSurface& output : saver->outputs) {
        if (!output.inUse || !output.configured)
            continue;
        int32_t width = 0;
        int32_t height = 0;
        SurfaceSize(output, &width, &height);
        if (width <= 0 || height <= 0)
            continue;
        output.bufferScale = output.scale;
        if (!SizeBuffers(saver, &output, width * output.scale, height * output.scale))
            return false;
        output.box = {clientWidth, 0, clientWidth + output.pixelWidth, output.pixelHeight};
        output.needsBlack = true;
        for (ShmBuffer& buffer : output.buffers)
            buffer.stale = true;
        clientWidth += output.pixelWidth;
        clientHeight = output.pixelHeight > clientHeight ? output.pixelHeight : clientHeight;
    }
    saver->monitors = MonitorLayout();
    for (const OutputSurface& output : saver->outputs) {
        if (!output.inUse || !output.configured || !output.buffers[0].buffer)
            continue;
        AddMonitorBox(saver->monitors, output.box, primary, clientWidth, clientHeight);
        primary = false;
    }
    saver->clientWidth = clientWidth;
    saver->clientHeight = clientHeight;
    saver->layoutChanged = false;
    return true;
}

void ShowCanvasOnOutputs(WaylandSaver* saver, bool moved)
{
    for (OutputSurface& output : saver->outputs) {
        if (!output.inUse || !output.configured || !output.buffers[0].buffer)
            continue;
        if (moved) {
            output.needsBlack = true;
            for (ShmBuffer& buffer : output.buffers)
                buffer.stale = true;
        }
        ShowOnOutput(saver, &output);
    }
}

void CatchUpOutputs(WaylandSaver* saver)
{
    for (OutputSurface& output : saver->outputs)
        if (output.inUse && output.configured && output.behind)
            ShowOnOutput(saver, &output);
}

void ReleaseOutputSurface(OutputSurface* output)
{
    ReleaseBuffers(output);
    if (output->toplevel)
        xdg_toplevel_destroy(output->toplevel);
    if (output->xdgSurface)
        xdg_surface_destroy(output->xdgSurface);
    if (output->surface)
        wl_surface_destroy(output->surface);
    output->toplevel = nullptr;
    output->xdgSurface = nullptr;
    output->surface = nullptr;
    output->configured = false;
}
