"""Two monitors side by side, as the Windows and the X11 runs see them.

A nested X server (Xephyr, inside its own Xvfb) shows two heads through
Xinerama: 1024 x 768, the primary, and 800 x 600 right of it (at (1024, 0)),
or left of it, where Windows gives the second monitor negative coordinates.
The saver's text starts centred on the primary monitor and jumps to places its
seeded draws give.
"""

from stage import STAGE, start_display

# The heads on the root, the primary first, in the layouts 'right' and 'left'.
LAYOUTS = {'right': ((0, 0, 1024, 768), (1024, 0, 1824, 600)), 'left': ((800, 0, 1824, 768), (0, 0, 800, 600))}
HEADS = LAYOUTS['right']
ROOT_SIZE = (1824, 768)
HOST_SCREEN = '1900x800x24'
DISPLAY_NUMBERS = range(300, 340)
# The default text is a 320 x 232 canvas. A fresh process draws 41, 18467 and
# 6334 for the first jump (the monitor, then x and y inside it) and 26500,
# 19169 and 15724 for the second: the start and the two jumps as (head, x, y) inside the head.
CANVAS_SIZE = (320, 232)
PLACES = ((0, 352, 268), (1, 227, 78), (0, 161, 180))
JUMP_WAIT = 40.0


def canvas_places(heads):
    """The canvas at the start and after the first two jumps, as rectangles of the root."""
    return [(heads[head][0] + x, heads[head][1] + y, heads[head][0] + x + CANVAS_SIZE[0],
             heads[head][1] + y + CANVAS_SIZE[1]) for head, x, y in PLACES]


CANVAS_AT_START, *CANVAS_AFTER_JUMPS = canvas_places(HEADS)


def start_two_heads(layout='right', numbers=DISPLAY_NUMBERS):
    """An Xvfb to hold the nested server, and the nested server with its two heads."""
    host, STAGE.host_xvfb = start_display(numbers, HOST_SCREEN)
    screens = ['%dx%dx24@%d,%d' % (right - left, bottom - top, left, top) for left, top, right, bottom in
               LAYOUTS[layout]]
    STAGE.display, STAGE.xvfb = start_display(numbers, nested_screens=screens, inside=host)


def inside(box, rect):
    return box[0] >= rect[0] and box[1] >= rect[1] and box[2] <= rect[2] and box[3] <= rect[3]
