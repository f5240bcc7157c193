"""Screenshots of a test's display, taken through Xlib, and what the checks read from them: lit areas,
pixels, crops, and the 24-bit bitmaps they are compared with. Run as a program it writes one as a PPM."""

import ctypes
import os
import re
import subprocess
import sys

from stage import STAGE

PICTURE_CROP = (500, 350)
RGB_MASKS = (0xff0000, 0xff00, 0xff)
X_ZPIXMAP = 2
X_ALL_PLANES = ctypes.c_ulong(-1)
X_LSB_FIRST = 0
X_COLOUR_SHIFT = 8  # XColor's channels are 16 bits wide


class XImage(ctypes.Structure):
    """Xlib's XImage, up to the fields read here."""
    _fields_ = ([(name, ctypes.c_int) for name in ('width', 'height', 'xoffset', 'format')] +
                [('data', ctypes.c_void_p)] +
                [(name, ctypes.c_int) for name in ('byte_order', 'bitmap_unit', 'bitmap_bit_order', 'bitmap_pad',
                                                   'depth', 'bytes_per_line', 'bits_per_pixel')] +
                [(name, ctypes.c_ulong) for name in ('red_mask', 'green_mask', 'blue_mask')])


class XColor(ctypes.Structure):
    _fields_ = [('pixel', ctypes.c_ulong), ('red', ctypes.c_ushort), ('green', ctypes.c_ushort),
                ('blue', ctypes.c_ushort), ('flags', ctypes.c_char), ('pad', ctypes.c_char)]


X11 = ctypes.CDLL('libX11.so.6')
X11.XOpenDisplay.restype = X11.XSetErrorHandler.restype = ctypes.c_void_p
for _name in ('XDefaultRootWindow', 'XDefaultColormap', 'XCreateSimpleWindow', 'XCreateWindow', 'XCreateColormap',
              'XInternAtom'):
    getattr(X11, _name).restype = ctypes.c_ulong
X11.XGetImage.restype = ctypes.POINTER(XImage)
IGNORE_X_ERRORS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, error: 0)


def connect():
    """A connection to the stage's display, and its root window, for Xlib's calls."""
    connection = X11.XOpenDisplay(STAGE.display.encode())
    if not connection:
        raise RuntimeError('no display %s' % STAGE.display)
    connection = ctypes.c_void_p(connection)
    return connection, ctypes.c_ulong(X11.XDefaultRootWindow(connection))


def screenshot():
    """The whole screen as (width, height, RGB bytes)."""
    return window_image()


def window_image(window=None):
    """A window's contents (the root's without one) as (width, height, RGB bytes)."""
    return x_image(window, rgb_image)


def x_image(window, read):
    """read(XImage, connection) of the window's contents (the root's when None), taken by Xlib's GetImage of that
    window alone: xwd asks for the attributes of every window on the screen and fails when one goes away
    meanwhile, which ended tests while other programs opened and closed windows."""
    connection, root = connect()
    previous = X11.XSetErrorHandler(IGNORE_X_ERRORS)  # a window of the test's that is gone gives no image
    try:
        target = root if window is None else ctypes.c_ulong(int(window))
        x, y, width, height = ctypes.c_int(), ctypes.c_int(), ctypes.c_uint(), ctypes.c_uint()
        ignored = ctypes.c_ulong()
        image = (X11.XGetGeometry(connection, target, *map(ctypes.byref, (ignored, x, y, width, height, ignored,
                                                                          ignored))) and
                 X11.XTranslateCoordinates(connection, target, root, 0, 0, *map(ctypes.byref, (x, y, ignored))))
        # As xwd does, only what lies on the screen: the server has no image of the rest.
        left, top = max(0, -x.value), max(0, -y.value)
        right = min(width.value, X11.XDisplayWidth(connection, X11.XDefaultScreen(connection)) - x.value)
        bottom = min(height.value, X11.XDisplayHeight(connection, X11.XDefaultScreen(connection)) - y.value)
        image = image and right > left and bottom > top and X11.XGetImage(
            connection, target, left, top, right - left, bottom - top, X_ALL_PLANES, X_ZPIXMAP)
        if not image:
            raise RuntimeError('no image of window %s on %s' % (window, STAGE.display))
        try:
            return read(image.contents, connection)
        finally:
            X11.XDestroyImage(image)
    finally:
        X11.XSetErrorHandler(ctypes.c_void_p(previous))
        X11.XCloseDisplay(connection)


def rgb_image(image, connection):
    """(width, height, RGB bytes) of a ZPixmap image of the server's true-colour or colour-mapped visual."""
    width, height, line = image.width, image.height, image.bytes_per_line
    data = ctypes.string_at(image.data, line * height)
    masks = (image.red_mask, image.green_mask, image.blue_mask)
    rgb = bytearray(width * height * 3)
    if image.bits_per_pixel == 32 and masks == RGB_MASKS and line == width * 4:  # the common kind, read at once
        red, green, blue = (2, 1, 0) if image.byte_order == X_LSB_FIRST else (1, 2, 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = data[red::4], data[green::4], data[blue::4]
        return width, height, bytes(rgb)
    size, order = image.bits_per_pixel // 8, 'little' if image.byte_order == X_LSB_FIRST else 'big'
    pixels = [int.from_bytes(data[y * line + x * size:y * line + (x + 1) * size], order)
              for y in range(height) for x in range(width)]
    if any(masks):
        tops = [(mask, (mask & -mask).bit_length() - 1, mask >> (mask & -mask).bit_length() - 1) for mask in masks]
        channels = [bytes((((pixel & mask) >> shift) * 255 + top // 2) // top for pixel in pixels)
                    for mask, shift, top in tops]
    else:  # each pixel an entry of the screen's colour map
        colours = (XColor * (1 << image.depth))()
        for entry, colour in enumerate(colours):
            colour.pixel = entry
        X11.XQueryColors(connection, ctypes.c_ulong(X11.XDefaultColormap(connection, X11.XDefaultScreen(connection))),
                         colours, len(colours))
        channels = [bytes(getattr(colours[pixel], name) >> X_COLOUR_SHIFT for pixel in pixels)
                    for name in ('red', 'green', 'blue')]
    rgb[0::3], rgb[1::3], rgb[2::3] = channels
    return width, height, bytes(rgb)


def parse_ppm(data):
    """(width, height, RGB bytes) of an 8-bit binary PPM as ImageMagick writes it."""
    gap = rb'(?:\s|#[^\n]*\n)+'  # blanks and comments
    header = re.match(rb'P6' + gap + rb'(\d+)' + gap + rb'(\d+)' + gap + rb'255\s', data)
    if not header:
        raise ValueError('not an 8-bit binary PPM')
    width, height = int(header.group(1)), int(header.group(2))
    return width, height, data[header.end():header.end() + width * height * 3]


def lit_bytes(image, rect):
    """How many colour bytes of the region are not 0: a cheap measure of non-black content."""
    width, height, pixels = image
    left, top, right, bottom = max(rect[0], 0), max(rect[1], 0), min(rect[2], width), min(rect[3], height)
    rows = (pixels[(y * width + left) * 3:(y * width + right) * 3] for y in range(top, bottom))
    return sum(len(row) - row.count(0) for row in rows)


def lit_outside(image, rect):
    """How many colour bytes outside the rectangle are not 0."""
    return lit_bytes(image, (0, 0, image[0], image[1])) - lit_bytes(image, rect)


def screenshot_lit_in(rect):
    """A screenshot if something shows inside the rectangle, else None."""
    image = screenshot()
    return image if lit_bytes(image, rect) > 0 else None


def pixel(image, x, y):
    width, _, pixels = image
    offset = (y * width + x) * 3
    return tuple(pixels[offset:offset + 3])


def lit_box(image):
    """The bounding box of the non-black pixels, or None."""
    width, height, pixels = image
    rows = [(y, len(row) - len(row.lstrip(b'\0')), len(row.rstrip(b'\0'))) for y in range(height)
            for row in (pixels[y * width * 3:(y + 1) * width * 3],) if row.strip(b'\0')]
    return (min(row[1] for row in rows) // 3, rows[0][0], (max(row[2] for row in rows) + 2) // 3,
            rows[-1][0] + 1) if rows else None


def ppm(image):
    """The image as an 8-bit binary PPM."""
    return b'P6\n%d %d\n255\n' % image[:2] + image[2]


def save_crop(image, centre, path):
    """Saves a PICTURE_CROP region of the screenshot centred on centre as PNG."""
    width, height, _ = image
    crop_width, crop_height = PICTURE_CROP
    left = min(max(centre[0] - crop_width // 2, 0), width - crop_width)
    top = min(max(centre[1] - crop_height // 2, 0), height - crop_height)
    save_png(image, path, '-crop', '%dx%d+%d+%d' % (crop_width, crop_height, left, top), '+repage')


def save_png(image, path, *options):
    """Saves the image as PNG through ImageMagick, which applies the options (a crop, outlines) first."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(['/usr/bin/convert', 'ppm:-'] + list(options) + [path], input=ppm(image), check=True, timeout=30)
    print('saved %s' % path)


def read_bmp24(path):
    """A 24-bit BMP as (width, height, top-down RGB bytes)."""
    with open(path, 'rb') as bitmap:
        if int.from_bytes(bitmap.read(30)[28:30], 'little') != 24:
            raise ValueError('%s is not a 24-bit bitmap' % path)
    return parse_ppm(subprocess.run(['/usr/bin/convert', path, 'ppm:-'], stdout=subprocess.PIPE, check=True,
                                    timeout=30).stdout)


def raw_canvas(raw):
    """The renderer's raw dump as (width, height, RGB bytes of the canvas)."""
    with open(raw, 'rb') as dump:
        data = dump.read()
    width, height = int.from_bytes(data[8:12], 'little'), int.from_bytes(data[12:16], 'little')
    words = data[24 + 2 * width * height:]
    return width, height, bytes(b for i in range(0, len(words), 4) for b in (words[i + 2], words[i + 1], words[i]))


def differing_pixels(shot, raw):
    """How many pixels of the canvas centred in the picture differ from the renderer's raw dump, and how many
    bytes of it are lit."""
    width, height, rgb = raw_canvas(raw)
    left, top = (shot[0] - width) // 2, (shot[1] - height) // 2
    differing = 0
    for y in range(height):
        row = shot[2][((top + y) * shot[0] + left) * 3:((top + y) * shot[0] + left + width) * 3]
        wanted = rgb[y * width * 3:(y + 1) * width * 3]
        differing += sum(row[x:x + 3] != wanted[x:x + 3] for x in range(0, width * 3, 3))
    return differing, lit_bytes(shot, (left, top, left + width, top + height))


if __name__ == '__main__':
    # screen.py DISPLAY [WINDOW]: the screen (or the window) as a PPM on standard output, for the scripts' pictures.
    STAGE.display = sys.argv[1]
    sys.stdout.buffer.write(ppm(window_image(int(sys.argv[2], 0) if len(sys.argv) > 2 else None)))
