"""The bonfire group: fire mode 1, the logs picture under the flames."""

import time

from screen import lit_bytes, lit_outside, pixel, read_bmp24, screenshot, screenshot_lit_in
from support import *  # noqa: F401,F403


class Bonfire(StageCase):
    """Fire mode 1: the logs picture at the bottom of the canvas with flames above it."""

    group = 'bonfire'

    def test_logs_picture_under_flames(self):
        write_settings('[WHITCH]\nFIRE=1\n')
        logs = read_bmp24(CONFIG.logs_bitmap)
        # The canvas as the saver's own set-up places it, the logs picture at its bottom.
        canvas = canvas_after(0, '--bonfire')
        band = (canvas[0], canvas[3] - logs[1], canvas[0] + logs[0], canvas[3])
        process = start_wine(CONFIG.saver, ['/s'])
        wait_saver_window(process)
        shown_at = time.monotonic()
        above_band = (canvas[0], canvas[1], canvas[2], band[1])

        # The flames grow a level every 3.1 s and first climb out of the picture
        # after some 5 s; look until just before the first jump moves the canvas.
        image = wait_for(lambda: screenshot_lit_in(above_band), FIRST_JUMP_SECONDS - 0.6 - (time.monotonic() - shown_at),
                         interval=0.4) or screenshot()
        note_time('bonfire flames above the logs after (s)', time.monotonic() - shown_at)
        self.assertEqual(lit_outside(image, canvas), 0, 'something shows outside the bonfire canvas')
        self.assertGreater(lit_bytes(image, above_band), 0, 'no flames above the logs picture')

        same = wood = flames = 0
        for y in range(band[1], band[3]):
            for x in range(band[0], band[2]):
                shown = pixel(image, x, y)
                if shown == pixel(logs, x - band[0], y - band[1]):
                    same += 1
                elif shown != (0, 0, 0):
                    flames += 1
                red, green, blue = shown
                wood += red >= 40 and red > green > blue and green >= red // 5
        band_pixels = logs[0] * logs[1]
        self.assertGreater(same, band_pixels // 2, 'the logs picture does not show in the bottom band')
        self.assertGreater(wood, band_pixels // 5, 'too few orange-brown wood pixels in the bottom band')
        self.assertGreater(flames, 200, 'no flames over the embers')
        self.end_with_key(process, 'bonfire')
