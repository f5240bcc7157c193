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
import subprocess
import unittest

import screen
import support as e2e
from two_heads import JUMP_WAIT, LAYOUTS, ROOT_SIZE, canvas_places, inside, start_two_heads

PREFIX_NAME = 'e2e-prefix-two-monitors'
X11_DRIVER_KEY = r'HKCU\Software\Wine\X11 Driver'


def reported_monitors():
    code, output = e2e.run_wine(e2e.CONFIG.monitor_report, [], timeout=180)
    if code == e2e.SKIPPED:
        raise unittest.SkipTest('Wine cannot run this tree on this machine: ' + output.strip())
    monitors = [tuple(map(int, line.split()[1:5])) for line in output.splitlines() if line.startswith('monitor ')]
    return monitors, output


class TwoMonitors(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        if not shutil.which('Xephyr'):
            raise unittest.SkipTest('no Xephyr (xserver-xephyr)')
        try:
            start_two_heads('right')
            e2e.STAGE.prefix = os.path.join(e2e.CONFIG.build_dir, PREFIX_NAME)
            e2e.STAGE.work = os.path.join(e2e.CONFIG.build_dir, 'e2e-work', 'two_monitors')
            os.makedirs(e2e.STAGE.work, exist_ok=True)
            reported_monitors()  # makes the prefix
            # With XRandR Wine reports one monitor the size of the first head.
            e2e.reg_add(X11_DRIVER_KEY, '/v', 'UseXRandR', '/d', 'N')
            e2e.stop_prefix(e2e.STAGE.prefix)
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        e2e.close_stage()
        e2e.stop_display(getattr(e2e.STAGE, 'host_xvfb', None))

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
        image = e2e.wait_for(landed, JUMP_WAIT, interval=0.2)
        self.assertTrue(image, '%s: the text never showed inside %s (last seen at %s)' % (moment, rect, seen[-1:]))
        return image

    def test_window_covers_both_heads_and_text_stays_on_the_monitors(self):
        for layout in ('right', 'left'):
            self.heads = LAYOUTS[layout]
            if layout != 'right':
                # A new display for the prefix: its server is stopped first, so the programs meet the new heads.
                e2e.stop_prefix(e2e.STAGE.prefix)
                e2e.stop_display(e2e.STAGE.xvfb)
                e2e.stop_display(e2e.STAGE.host_xvfb)
                start_two_heads(layout)
            # Windows puts the primary monitor at (0, 0): a head left of it has negative coordinates.
            primary = self.heads[0]
            monitors, report = reported_monitors()
            self.assertEqual(monitors, [(left - primary[0], top - primary[1], right - primary[0], bottom - primary[1])
                                        for left, top, right, bottom in self.heads],
                             'Wine does not report the two heads (needs libxinerama1 for its architecture and '
                             'UseXRandR=N): ' + report)
            e2e.write_settings(None)
            process = e2e.start_wine(e2e.CONFIG.saver, ['/s'])
            windows = e2e.wait_saver_window(process)
            geometry = e2e.x_tool('xdotool', 'getwindowgeometry', windows[0])
            self.assertIn('Position: 0,0', geometry, layout)
            self.assertIn('Geometry: %dx%d' % ROOT_SIZE, geometry, layout)

            places = canvas_places(self.heads)
            pictures = [self.wait_canvas_in(places[0], layout + ' start')]
            for number, rect in enumerate(places[1:], 1):
                pictures.append(self.wait_canvas_in(rect, '%s jump %d' % (layout, number)))
            self.assertIsNone(process.poll(), 'the saver ended early')
            e2e.press_key()
            self.assertEqual(e2e.wait_exit(process, 10), e2e.EXIT_DONE)
            if layout == 'right':
                self.keep_pictures(pictures)

    def keep_pictures(self, pictures):
        work = e2e.STAGE.work
        for name, image in (('two-monitors-start.png', pictures[0]), ('two-monitors-jump-1.png', pictures[1])):
            screen.save_png(image, os.path.join(work, name))
        if e2e.CONFIG.screens:
            # The documentation's copy outlines the two monitors.
            outlines = [['-draw', 'rectangle %d,%d %d,%d' % (head[0], head[1], head[2] - 1, head[3] - 1)]
                        for head in self.heads]
            subprocess.run(['/usr/bin/convert', os.path.join(work, 'two-monitors-jump-1.png'), '-fill', 'none',
                            '-stroke', 'gray50'] + [item for pair in outlines for item in pair] +
                           [os.path.join(e2e.CONFIG.screens, 'screen-two-monitors.png')], check=True, timeout=30)
