"""The preview group: the saver inside a preview parent of another process."""

import os
import re
import time

from support import *  # noqa: F401,F403

PREVIEW_SIZE = (152, 112)
PREVIEW_WAIT_MS = 20000
VANISHING_PARENT_CASES = (60, 300)  # (sample, full count)


class Preview(StageCase):
    """The saver inside a 152 x 112 preview parent of another process."""

    group = 'preview'

    def test_preview_shows_relays_context_menu_and_ends_with_parent(self):
        self.run_preview(wrap=False, right_click=True)

    def test_window_number_above_32_bits_wraps(self):
        self.run_preview(wrap=True, right_click=False)

    def run_preview(self, wrap, right_click):
        status = os.path.join(STAGE.work, 'preview-status.txt')
        close_request = os.path.join(STAGE.work, 'preview-close')
        for path in (status, close_request):
            if os.path.exists(path):
                os.remove(path)
        args = [windows_path(CONFIG.saver), windows_path(status), windows_path(close_request)]
        parent = start_wine(CONFIG.preview_parent, args + (['wrap'] if wrap else []))

        def lines():
            return open(status, encoding='cp932').read().splitlines() if os.path.exists(status) else []

        def line(prefix):
            return next((l for l in lines() if l.startswith(prefix)), None)

        self.assertTrue(wait_for(lambda: line('command '), START_WAIT), 'the preview parent did not start the saver')
        handle = int(line('parent ').split()[1])
        x, y, width, height = map(int, line('client ').split()[1:])
        self.assertEqual((width, height), PREVIEW_SIZE)
        number = int(line('command ').rsplit(' ', 1)[1])
        self.assertEqual(number, handle + (WINDOW_WRAP if wrap else 0))

        # Under Wine the screen never shows a child window of another process, so
        # the preview's pixels cannot be seen from here (the Windows tests check
        # its drawing in-process). What is checked: the saver's own process made
        # its window inside the parent as a preview is made, and its message loop
        # answers; the right click below reaches it through the parent's area.
        code, output = inspect('wait-preview', handle, PREVIEW_WAIT_MS, 'responds', 5000)
        self.assertEqual(code, 0, 'no working preview window in the parent: %s; status %s' % (output, lines()))
        found = re.search(r'^preview \d+ title (\S*) style (\S+) at (-?\d+) (-?\d+) size (\d+) (\d+) process (\d+)$',
                          output, re.M)
        self.assertTrue(found, output)
        self.assertEqual(found.group(1), 'Preview')
        self.assertEqual(found.group(2), '52000000')
        self.assertEqual(tuple(map(int, found.group(3, 4, 5, 6))), (0, 0) + PREVIEW_SIZE)
        self.assertEqual(found.group(7), line('saver-pid ').split()[1], 'the window is not the saver\'s')
        self.assertIsNone(line('saver-exit'), 'the saver ended early: %s' % lines())

        if right_click:
            x_tool('xdotool', 'mousemove', str(x + width // 2), str(y + height // 2), 'click', '3')
            self.assertTrue(wait_for(lambda: line('contextmenu'), 5.0), 'no WM_CONTEXTMENU reached the parent')
            self.assertIn('contextmenu wparam=%d ' % handle, line('contextmenu'))
            time.sleep(0.5)
            self.assertIsNone(line('saver-exit'), 'input in the preview ended the saver')

        open(close_request, 'w').close()
        self.assertEqual(wait_exit(parent, 15), EXIT_DONE, 'status: %s' % lines())
        self.assertEqual(line('saver-exit'), 'saver-exit 0')

    def test_parent_vanishing_at_any_moment_ends_the_saver(self):
        self.run_counted(CONFIG.vanishing_parent, VANISHING_PARENT_CASES[STRESS],
                         lambda count, seed: [str(count), str(seed)], 12,
                         'preview parent destroyed 0-200 ms after the start')


