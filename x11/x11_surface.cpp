#include "x11_surface.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>

namespace {

const int CANVAS_CHANNEL_BITS = 8;
const int WIDEST_CHANNEL_BITS = 16;
const int RED_SHIFT = 16;
const int GREEN_SHIFT = 8;
const int PIXEL_WORD_BITS = 32;
const int SHARED_SEGMENT_MODE = 0600;
const unsigned long DIRECT_RED_MASK = 0xFF0000;
const unsigned long DIRECT_GREEN_MASK = 0xFF00;
const unsigned long DIRECT_BLUE_MASK = 0xFF;
const unsigned long PIXEL_WORD_MASK = 0xFFFFFFFF;

int LowestBit(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int BitCount(unsigned long mask)
{
    int bits = 0;
    for (; mask; mask >>= 1)
        bits += mask & 1;
    return bits;
}

bool HostIsLittleEndian()
{
    const uint16_t probe = 1;
    return *reinterpret_cast<const unsigned char*>(&probe) == 1;
}

// The segment is marked for removal as soon as both sides hold it, so that
// no end of the program, not even SIGKILL, can leave it behind.
bool CreateSharedImage(X11Surface& surface, int32_t width, int32_t height)
{
    surface.segment = XShmSegmentInfo();
    surface.image = XShmCreateImage(surface.display, surface.visual, surface.depth, ZPixmap, nullptr,
                                    &surface.segment, width, height);
    if (!surface.image)
        return false;
    size_t bytes = static_cast<size_t>(surface.image->bytes_per_line) * height;
    surface.segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | SHARED_SEGMENT_MODE);
    if (surface.segment.shmid < 0) {
        XDestroyImage(surface.image);
        surface.image = nullptr;
        return false;
    }
    void* address = shmat(surface.segment.shmid, nullptr, 0);
    shmctl(surface.segment.shmid, IPC_RMID, nullptr);
    if (address == reinterpret_cast<void*>(-1)) {
        XDestroyImage(surface.image);
        surface.image = nullptr;
        return false;
    }
    surface.segment.shmaddr = surface.image->data = static_cast<char*>(address);
    surface.segment.readOnly = False;
    XSync(surface.display, False);
    surface.attachFailed = false;
    surface.attaching = true;
    XShmAttach(surface.display, &surface.segment);
    XSync(surface.display, False);
    surface.attaching = false;
    if (surface.attachFailed) {
        surface.image->data = nullptr;
        XDestroyImage(surface.image);
        surface.image = nullptr;
        shmdt(address);
        return false;
    }
    return true;
}

bool CreatePlainImage(X11Surface& surface, int32_t width, int32_t height)
{
    int pad = surface.depth > 16 ? PIXEL_WORD_BITS : 16;
    surface.image =
        XCreateImage(surface.display, surface.visual, surface.depth, ZPixmap, 0, nullptr, width, height, pad, 0);
    if (!surface.image)
        return false;
    surface.image->data = static_cast<char*>(calloc(static_cast<size_t>(surface.image->bytes_per_line), height));
    if (!surface.image->data) {
        XDestroyImage(surface.image);
        surface.image = nullptr;
        return false;
    }
    return true;
}

unsigned long VisualPixel(const X11Surface& surface, uint32_t pixel)
{
    return surface.redPixels[pixel >> RED_SHIFT & 0xFF] | surface.greenPixels[pixel >> GREEN_SHIFT & 0xFF] |
           surface.bluePixels[pixel & 0xFF] | surface.opaqueBits;
}

// A canvas channel of 8 bits in a visual channel of the mask's width: a
// narrower one keeps the high bits, a wider one (depth 30) repeats them, so
// that 255 stays the brightest.
void FillChannelPixels(unsigned long mask, unsigned long* pixels)
{
    int shift = LowestBit(mask);
    int bits = BitCount(mask);
    for (unsigned value = 0; value < CHANNEL_LEVELS; ++value) {
        unsigned long level = bits <= CANVAS_CHANNEL_BITS
                                  ? value >> (CANVAS_CHANNEL_BITS - bits)
                                  : value << (bits - CANVAS_CHANNEL_BITS) | value >> (2 * CANVAS_CHANNEL_BITS - bits);
        pixels[value] = level << shift;
    }
}

void FillImage(const X11Surface& surface, const FlameCanvas& canvas)
{
    XImage* image = surface.image;
    for (int32_t y = 0; y < surface.imageHeight; ++y) {
        const uint32_t* row = canvas.pixels + static_cast<size_t>(y) * canvas.width;
        char* line = image->data + static_cast<size_t>(y) * image->bytes_per_line;
        if (surface.directCopy && !surface.opaqueBits) {
            memcpy(line, row, static_cast<size_t>(surface.imageWidth) * sizeof(uint32_t));
        } else if (surface.directCopy) {
            uint32_t* words = reinterpret_cast<uint32_t*>(line);
            for (int32_t x = 0; x < surface.imageWidth; ++x)
                words[x] = row[x] | static_cast<uint32_t>(surface.opaqueBits);
        } else if (image->bits_per_pixel == 16 && (image->byte_order == LSBFirst) == HostIsLittleEndian()) {
            uint16_t* words = reinterpret_cast<uint16_t*>(line);
            for (int32_t x = 0; x < surface.imageWidth; ++x)
                words[x] = static_cast<uint16_t>(VisualPixel(surface, row[x]));
        } else {
            for (int32_t x = 0; x < surface.imageWidth; ++x)
                XPutPixel(image, x, y, VisualPixel(surface, row[x]));
        }
    }
}

}  // namespace

bool OpenSurface(X11Surface& surface, Display* display, Window window, const char** message)
{
    surface = X11Surface();
    surface.display = display;
    surface.window = window;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) {
        *message = "the window cannot be read";
        return false;
    }
    Visual* visual = attributes.visual;
    if (!visual || visual->c_class != TrueColor) {
        *message = "the window's visual is not TrueColor";
        return false;
    }
    const unsigned long masks[] = {visual->red_mask, visual->green_mask, visual->blue_mask};
    for (unsigned long mask : masks) {
        if (BitCount(mask) == 0 || BitCount(mask) > WIDEST_CHANNEL_BITS) {
            *message = "the window's visual has a colour of no bits or of more than 16";
            return false;
        }
    }
    surface.visual = visual;
    surface.depth = attributes.depth;
    surface.windowWidth = attributes.width;
    surface.windowHeight = attributes.height;
    FillChannelPixels(visual->red_mask, surface.redPixels);
    FillChannelPixels(visual->green_mask, surface.greenPixels);
    FillChannelPixels(visual->blue_mask, surface.bluePixels);
    // The bits of the depth that carry no colour are the alpha of an ARGB
    // visual: left 0, a compositor would show the pixels as see-through.
    unsigned long depthBits = attributes.depth >= PIXEL_WORD_BITS ? PIXEL_WORD_MASK : (1ul << attributes.depth) - 1;
    surface.opaqueBits = depthBits & ~(visual->red_mask | visual->green_mask | visual->blue_mask);
    surface.gc = XCreateGC(display, window, 0, nullptr);
    surface.black = VisualPixel(surface, 0);
    XSetForeground(display, surface.gc, surface.black);
    return true;
}

bool CreateSurfaceImage(X11Surface& surface, int32_t width, int32_t height)
{
    ReleaseSurfaceImage(surface);
    if (width <= 0 || height <= 0)
        return true;
    surface.shared = XShmQueryExtension(surface.display) && CreateSharedImage(surface, width, height);
    if (!surface.shared && !CreatePlainImage(surface, width, height))
        return false;
    surface.imageWidth = width;
    surface.imageHeight = height;
    XImage* image = surface.image;
    surface.directCopy = image->bits_per_pixel == PIXEL_WORD_BITS && surface.visual->red_mask == DIRECT_RED_MASK &&
                         surface.visual->green_mask == DIRECT_GREEN_MASK &&
                         surface.visual->blue_mask == DIRECT_BLUE_MASK &&
                         (image->byte_order == LSBFirst) == HostIsLittleEndian();
    return true;
}

void ReleaseSurfaceImage(X11Surface& surface)
{
    if (!surface.image)
        return;
    if (surface.shared) {
        // No round trip: the segment is already marked for removal, and the
        // server lets go of it with the detach or with the connection.
        XShmDetach(surface.display, &surface.segment);
        shmdt(surface.segment.shmaddr);
        surface.image->data = nullptr;
    }
    XDestroyImage(surface.image);
    surface.image = nullptr;
    surface.shared = false;
    surface.imageWidth = 0;
    surface.imageHeight = 0;
}

void CloseSurface(X11Surface& surface)
{
    ReleaseSurfaceImage(surface);
    if (surface.gc)
        XFreeGC(surface.display, surface.gc);
    surface.gc = nullptr;
}

void PutCanvasPicture(X11Surface& surface, const FlameCanvas& canvas)
{
    if (!surface.image || !canvas.pixels || canvas.width != surface.imageWidth || canvas.height != surface.imageHeight)
        return;
    FillImage(surface, canvas);
    if (surface.shared)
        XShmPutImage(surface.display, surface.window, surface.gc, surface.image, 0, 0, canvas.originX, canvas.originY,
                     surface.imageWidth, surface.imageHeight, False);
    else
        XPutImage(surface.display, surface.window, surface.gc, surface.image, 0, 0, canvas.originX, canvas.originY,
                  surface.imageWidth, surface.imageHeight);
}

void PaintWindowBlack(const X11Surface& surface, const FlameCanvas& canvas)
{
    XFillRectangle(surface.display, surface.window, surface.gc, 0, 0, static_cast<unsigned>(canvas.clientWidth),
                   static_cast<unsigned>(canvas.clientHeight));
}

void NoteSurfaceError(X11Surface& surface, const XErrorEvent& error)
{
    if (surface.attaching)
        surface.attachFailed = true;
    else if (error.resourceid == surface.window &&
             (error.error_code == BadWindow || error.error_code == BadDrawable))
        surface.windowGone = true;
}
