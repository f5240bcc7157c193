"""Screenshots of a test's display and what the checks read from
them: lit areas, pixels, crops, and the 24-bit bitmaps they are compared with."""

import os
import re
import struct
import subprocess

from stage import STAGE

PICTURE_CROP = (500, 350)
XWD_HEADER_FIELDS = 25
XWD_ZPIXMAP = 2
XWD_LSB_FIRST = 0
XWD_RGB_MASKS = (0xff0000, 0xff00, 0xff)
XWD_COLOUR_BYTES = 12


def screenshot():
    """The whole screen as (width, height, RGB bytes)."""
    return window_image('-root')


def window_image(*window):
    """A window's contents as (width, height, RGB bytes), from xwd ('-root' or '-id', number)."""
    dump = subprocess.run(['xwd', '-silent', '-display', STAGE.display] + [str(part) for part in window],
                          stdout=subprocess.PIPE, check=True, timeout=30).stdout
    return parse_xwd(dump) or parse_ppm(subprocess.run(['/usr/bin/convert', 'xwd:-', 'ppm:-'], input=dump,
                                                       stdout=subprocess.PIPE, check=True, timeout=30).stdout)


def parse_xwd(dump):
    """(width, height, RGB bytes) of a 32-bit true-colour xwd dump with 8-bit channels; None for any other kind
    (ImageMagick reads those). Reading the common kind here spares a converter process for every screenshot."""
    fields = struct.unpack('>25I', dump[:XWD_HEADER_FIELDS * 4])
    header_size, width, height, byte_order, bits_per_pixel, line_bytes = (fields[0], fields[4], fields[5],
                                                                          fields[7], fields[11], fields[12])
    if fields[2] != XWD_ZPIXMAP or bits_per_pixel != 32 or fields[14:17] != XWD_RGB_MASKS or line_bytes != width * 4:
        return None
    start = header_size + fields[19] * XWD_COLOUR_BYTES
    pixels = dump[start:start + line_bytes * height]
    red, green, blue = (2, 1, 0) if byte_order == XWD_LSB_FIRST else (1, 2, 3)
    rgb = bytearray(width * height * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = pixels[red::4], pixels[green::4], pixels[blue::4]
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
    box = None
    for y in range(height):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        stripped = row.lstrip(b'\0')
        if not stripped:
            continue
        first = (len(row) - len(stripped)) // 3
        last = (len(row.rstrip(b'\0')) - 1) // 3
        if box is None:
            box = [first, y, last + 1, y + 1]
        else:
            box = [min(box[0], first), box[1], max(box[2], last + 1), y + 1]
    return tuple(box) if box else None


def save_crop(image, centre, path):
    """Saves a PICTURE_CROP region of the screenshot centred on centre as PNG."""
    width, height, pixels = image
    crop_width, crop_height = PICTURE_CROP
    left = min(max(centre[0] - crop_width // 2, 0), width - crop_width)
    top = min(max(centre[1] - crop_height // 2, 0), height - crop_height)
    ppm = b'P6\n%d %d\n255\n' % (width, height) + pixels
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(['/usr/bin/convert', 'ppm:-', '-crop', '%dx%d+%d+%d' % (crop_width, crop_height, left, top),
                    '+repage', path], input=ppm, check=True, timeout=30)


def save_png(image, path):
    width, height, pixels = image
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(['/usr/bin/convert', 'ppm:-', path], input=b'P6\n%d %d\n255\n' % (width, height) + pixels,
                   check=True, timeout=30)
    print('saved %s' % path)


def read_bmp24(path):
    """A 24-bit BMP as (width, height, top-down RGB bytes)."""
    with open(path, 'rb') as bitmap:
        if int.from_bytes(bitmap.read(30)[28:30], 'little') != 24:
            raise ValueError('%s is not a 24-bit bitmap' % path)
    return parse_ppm(subprocess.run(['/usr/bin/convert', path, 'ppm:-'], stdout=subprocess.PIPE, check=True,
                                    timeout=30).stdout)
