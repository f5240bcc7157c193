"""The full-screen group: placement, the jump, a second start and the real key
and mouse with no settings file; and the pictures of both modes for the documentation."""

import os
import time

from screen import lit_box, lit_bytes, lit_outside, save_crop, screenshot, screenshot_lit_in
from support import *  # noqa: F401,F403

# Upper bounds for a busy machine: how long the saver took ("within a second",
# the first jump after 10.1 s) is printed, not judged.
END_WAIT = 30.0
JUMP_WAIT = 60.0
# Moments for the pictures: at full strength (level 12 from 37.2 s on) while the
# canvas stands away from the screen's edges (text from the third jump on at
# (161, 180), the bonfire from the fourth at (408, 252)).
TEXT_PICTURE_SECONDS = 38.0
BONFIRE_PICTURE_SECONDS = 44.0


class FullScreen(StageCase):
    """The full-screen saver with no settings file: placement, the jump, a second start, a real key and mouse."""

    group = 'full_screen'

    def test_flames_centred_then_jump_second_instance_and_mouse_move(self):
        # Where the saver's own set-up and step place the canvas (right and bottom exclusive).
        text_canvas, after_first_jump = canvas_after(0), canvas_after(FIRST_JUMP_TICKS)
        started_at = time.monotonic()
        process = start_wine(CONFIG.saver, ['/s'])
        windows = wait_saver_window(process)
        shown_at = time.monotonic()
        geometry = x_tool('xdotool', 'getwindowgeometry', windows[0])
        self.assertIn('Position: 0,0', geometry)
        self.assertIn('Geometry: %dx%d' % (SCREEN_WIDTH, SCREEN_HEIGHT), geometry)

        image = wait_for(lambda: screenshot_lit_in(text_canvas), START_WAIT, interval=0.2)
        self.assertTrue(image, 'no flames inside %s within %s s' % (text_canvas, START_WAIT))
        self.assertEqual(lit_outside(image, text_canvas), 0, 'something shows outside the centred canvas')
        note_time('flames centred after (s)', time.monotonic() - shown_at)

        # A second full-screen start finds the running saver and ends with 0.
        second = start_wine(CONFIG.saver, ['/s'])
        self.assertEqual(wait_exit(second, END_WAIT), EXIT_DONE)
        code, output = inspect('savers')
        self.assertIn('savers 1', output)
        self.assertIsNone(process.poll(), 'the second start ended the first saver')

        def jumped():
            image = screenshot()
            return image if lit_bytes(image, after_first_jump) and lit_outside(image, after_first_jump) == 0 else None
        image = wait_for(jumped, JUMP_WAIT, interval=0.3)
        self.assertTrue(image, 'the canvas did not show alone at %s' % (after_first_jump,))
        note_time('first jump seen after (s)', time.monotonic() - shown_at)
        # Not before its time: the ticks begin after the program was started, and a busy machine only delays them.
        self.assertGreater(time.monotonic() - started_at, FIRST_JUMP_SECONDS)
        self.assertIsNone(process.poll())

        # A real mouse move beyond the slack ends it (the slack itself is judged in process).
        x_tool('xdotool', 'mousemove_relative', '--', '10', '0')
        self.assertEqual(wait_exit(process, END_WAIT), EXIT_DONE,
                         'a mouse move of 10 pixels did not end the saver with 0')

    def test_key_press_ends_the_saver(self):
        self.run_full_screen_and_press_key(start_wine(CONFIG.saver, ['/s']), '/s')


class Pictures(StageCase):
    """Not a check: screenshots of both modes at full strength for the documentation."""

    group = 'pictures'

    def test_save_pictures_of_both_modes(self):
        if not CONFIG.screens:
            self.skipTest('no --screens directory given')
        for name, settings, seconds in (('screen-text.png', None, TEXT_PICTURE_SECONDS),
                                        ('screen-bonfire.png', '[WHITCH]\nFIRE=1\n', BONFIRE_PICTURE_SECONDS)):
            write_settings(settings)
            process = start_wine(CONFIG.saver, ['/s'])
            wait_saver_window(process)
            time.sleep(seconds)
            image = screenshot()
            box = lit_box(image)
            self.assertTrue(box, 'nothing burns')
            save_crop(image, ((box[0] + box[2]) // 2, (box[1] + box[3]) // 2), os.path.join(CONFIG.screens, name))
            self.end_with_key(process, name)
