"""The two-monitor group: the full-screen saver on two monitors side by side.

On the two heads of ../two_heads.py Wine reports two monitors once XRandR is
switched off for the prefix. The saver's window must cover both heads, the burning text must start centred on
the primary monitor, and neither the start nor the first two jumps may
straddle the seam or leave the monitors (the strip below the smaller head), with the second monitor right of
the primary and left of it, where its coordinates are negative.
Skipped without Xephyr (xserver-xephyr).
"""

import os
import shutil
import unittest

import screen
from support import *  # noqa: F401,F403
from two_heads import JUMP_WAIT, LAYOUTS, ROOT_SIZE, canvas_places, inside, start_two_heads


def show_layout(layout):
    """The heads of the layout on a new display; the prefix's server is started again, so the programs meet them."""
    stop_prefix(STAGE.prefix)
    for server in (STAGE.xvfb, STAGE.host_xvfb):
        stop_display(server)
    start_two_heads(layout)
    keep_prefix_up(STAGE.prefix)


class TwoMonitors(StageCase):

    group = 'two_monitors'

    @classmethod
    def show_display(cls):
        if not shutil.which('Xephyr'):
            raise unittest.SkipTest('no Xephyr (xserver-xephyr)')
        start_two_heads('right')

    @classmethod
    def set_up_stage(cls):
        # With XRandR Wine reports one monitor the size of the first head.
        reg_add(r'HKCU\Software\Wine\X11 Driver', '/v', 'UseXRandR', '/d', 'N')
        show_layout('right')

    def assert_on_one_head(self, image, moment):
        box = screen.lit_box(image)
        if box:
            self.assertTrue(any(inside(box, head) for head in self.heads),
                            '%s: the burning text at %s is not wholly on one monitor' % (moment, box))
        return box

    def wait_canvas_in(self, rect, moment):
        """Screenshots until the lit area lies inside rect, each checked to be on one head."""
        seen = []

        def landed():
            image = screen.screenshot()
            box = self.assert_on_one_head(image, moment)
            seen.append(box)
            return image if box and inside(box, rect) else None
        image = wait_for(landed, JUMP_WAIT, interval=0.2)
        self.assertTrue(image, '%s: the text never showed inside %s (last seen at %s)' % (moment, rect, seen[-1:]))
        return image

    def test_window_covers_both_heads_and_text_stays_on_the_monitors(self):
        for layout in ('right', 'left'):
            self.heads = LAYOUTS[layout]
            if layout != 'right':
                show_layout(layout)
            # Windows puts the primary monitor at (0, 0): a head left of it has negative coordinates.
            primary = self.heads[0]
            told = inspect('monitors')[1]
            monitors = [tuple(map(int, line.split()[1:5])) for line in told.splitlines() if line.startswith('monitor ')]
            self.assertEqual(monitors, [(left - primary[0], top - primary[1], right - primary[0], bottom - primary[1])
                                        for left, top, right, bottom in self.heads],
                             'Wine does not report the two heads (needs libxinerama1 for its architecture and '
                             'UseXRandR=N): ' + told)
            process = start_wine(CONFIG.saver, ['/s'])
            windows = wait_saver_window(process)
            geometry = x_tool('xdotool', 'getwindowgeometry', windows[0])
            self.assertIn('Position: 0,0', geometry, layout)
            self.assertIn('Geometry: %dx%d' % ROOT_SIZE, geometry, layout)

            places = canvas_places(self.heads, lambda *options: run_wine(CONFIG.render, list(map(str, options)))[1])
            pictures = [self.wait_canvas_in(places[0], layout + ' start')]
            for number, rect in enumerate(places[1:], 1):
                pictures.append(self.wait_canvas_in(rect, '%s jump %d' % (layout, number)))
            self.end_with_key(process, layout)
            if layout == 'right':
                self.keep_pictures(pictures)

    def keep_pictures(self, pictures):
        for name, image in (('two-monitors-start.png', pictures[0]), ('two-monitors-jump-1.png', pictures[1])):
            screen.save_png(image, os.path.join(STAGE.work, name))
        if CONFIG.screens:
            # The documentation's copy outlines the two monitors.
            outlines = [option for head in self.heads
                        for option in ('-draw', 'rectangle %d,%d %d,%d' % (head[0], head[1], head[2] - 1, head[3] - 1))]
            screen.save_png(pictures[1], os.path.join(CONFIG.screens, 'screen-two-monitors.png'), '-fill', 'none',
                            '-stroke', 'gray50', *outlines)
