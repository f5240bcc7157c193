"""Two monitors side by side, as the Windows and the X11 runs see them.

A nested X server (Xephyr, inside its own Xvfb) shows two heads through
Xinerama: 1024 x 768, the primary, and 800 x 600 right of it (at (1024, 0)),
or left of it, where Windows gives the second monitor negative coordinates.
The saver's text starts centred on the primary monitor and jumps to places its
seeded draws give, which the renderer tells for the same heads.
"""

import re

from stage import STAGE, start_display

# The heads on the root, the primary first, in the layouts 'right' and 'left'.
LAYOUTS = {'right': ((0, 0, 1024, 768), (1024, 0, 1824, 600)), 'left': ((800, 0, 1824, 768), (0, 0, 800, 600))}
HEADS = LAYOUTS['right']
ROOT_SIZE = (1824, 768)
HOST_SCREEN = '1900x800x24'
DISPLAY_NUMBERS = range(300, 340)
JUMP_TICKS = 101  # the text jumps with every 101st tick
JUMP_WAIT = 40.0


def canvas_places(heads, render):
    """The canvas at the start and after the first two jumps, as rectangles of the root, where the renderer
    (`render`, called with its options, gives its summary line) places it on these heads. The seed 1 gives
    the jumps of the Windows program, which never seeds them."""
    monitors = ';'.join('%d,%d,%d,%d' % head for head in heads)
    places = []
    for ticks in (0, JUMP_TICKS, 2 * JUMP_TICKS):
        summary = render('--client', '%dx%d' % ROOT_SIZE, '--monitors', monitors, '--seed', '1', '--ticks', ticks)
        width, height, left, top = map(int, re.search(r'canvas (\d+)x(\d+) .*origin (-?\d+),(-?\d+)',
                                                      summary).groups())
        places.append((left, top, left + width, top + height))
    return places


def start_two_heads(layout='right', numbers=DISPLAY_NUMBERS):
    """An Xvfb to hold the nested server, and the nested server with its two heads."""
    host, STAGE.host_xvfb = start_display(numbers, HOST_SCREEN)
    screens = ['%dx%dx24@%d,%d' % (right - left, bottom - top, left, top) for left, top, right, bottom in
               LAYOUTS[layout]]
    STAGE.display, STAGE.xvfb = start_display(numbers, nested_screens=screens, inside=host)


def inside(box, rect):
    return box[0] >= rect[0] and box[1] >= rect[1] and box[2] <= rect[2] and box[3] <= rect[3]
