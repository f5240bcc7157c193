"""Two monitors side by side, as the Windows and the X11 runs see them.

A nested X server (Xephyr, inside its own Xvfb) shows two heads through
Xinerama: 1024 x 768 at (0, 0), the primary, and 800 x 600 at (1024, 0). The
saver's text starts centred on the primary monitor and jumps to places its
seeded draws give.
"""

from stage import STAGE, start_display

HEADS = ((0, 0, 1024, 768), (1024, 0, 1824, 600))
ROOT_SIZE = (1824, 768)
HOST_SCREEN = '1900x800x24'
DISPLAY_NUMBERS = range(300, 340)
# The default text is a 320 x 232 canvas. A fresh process draws 41, 18467 and
# 6334 for the first jump (the monitor, then x and y inside it) and 26500,
# 19169 and 15724 for the second.
CANVAS_AT_START = (352, 268, 672, 500)
CANVAS_AFTER_JUMPS = ((1251, 78, 1571, 310), (161, 180, 481, 412))
JUMP_WAIT = 40.0

HEAD_SCREENS = ('1024x768x24', '800x600x24')


def start_two_heads(numbers=DISPLAY_NUMBERS):
    """An Xvfb to hold the nested server, and the nested server with its two heads."""
    host, STAGE.host_xvfb = start_display(numbers, HOST_SCREEN)
    STAGE.display, STAGE.xvfb = start_display(numbers, nested_screens=HEAD_SCREENS, inside=host)


def inside(box, rect):
    return box[0] >= rect[0] and box[1] >= rect[1] and box[2] <= rect[2] and box[3] <= rect[3]
