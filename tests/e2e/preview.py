"""The preview group: the saver inside a preview parent of another process."""

import os
import re
import time

from support import *  # noqa: F401,F403

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
            remove_file(path)
        args = [windows_path(CONFIG.saver), windows_path(status), windows_path(close_request)]
        parent = start_wine(CONFIG.preview_parent, args + (['wrap'] if wrap else []))

        def line(prefix):
            return next(iter(file_lines(status, prefix)), None)

        self.assertTrue(wait_for(lambda: line('command '), START_WAIT), 'the preview parent did not start the saver')
        handle = int(line('parent ').split()[1])
        x, y, width, height = map(int, line('client ').split()[1:])
        number = int(line('command ').rsplit(' ', 1)[1])
        self.assertEqual(number, handle + (WINDOW_WRAP if wrap else 0))

        # Under Wine the screen never shows a child window of another process, so
        # the preview's pixels cannot be seen from here (the Windows tests check
        # its drawing in-process, and the title and style of the window it makes). What
        # is checked: the saver's own process made its window inside the parent of
        # another process, filling it, and its message loop answers; the right click
        # below reaches it through the parent's area.
        code, output = inspect('wait-preview', handle, PREVIEW_WAIT_MS, 'responds', 5000)
        self.assertEqual(code, 0, 'no working preview in the parent: %s; status %s' % (output, file_lines(status)))
        found = re.search(r'^preview \d+ at (-?\d+) (-?\d+) size (\d+) (\d+) process (\d+)$', output, re.M)
        self.assertTrue(found, output)
        self.assertEqual(tuple(map(int, found.group(1, 2, 3, 4))), (0, 0, width, height), 'it does not fill its parent')
        self.assertEqual(found.group(5), line('saver-pid ').split()[1], 'the window is not the saver\'s')
        self.assertIsNone(line('saver-exit'), 'the saver ended early: %s' % file_lines(status))

        if right_click:
            x_tool('xdotool', 'mousemove', str(x + width // 2), str(y + height // 2), 'click', '3')
            self.assertTrue(wait_for(lambda: line('contextmenu'), 5.0), 'no WM_CONTEXTMENU reached the parent')
            self.assertIn('contextmenu wparam=%d ' % handle, line('contextmenu'))
            time.sleep(0.5)
            self.assertIsNone(line('saver-exit'), 'input in the preview ended the saver')

        open(close_request, 'w').close()
        self.assertEqual(wait_exit(parent, 15), EXIT_DONE, 'status: %s' % file_lines(status))
        self.assertEqual(line('saver-exit'), 'saver-exit 0')

    def test_parent_vanishing_at_any_moment_ends_the_saver(self):
        self.run_counted(CONFIG.vanishing_parent, VANISHING_PARENT_CASES[STRESS],
                         lambda count, seed: [str(count), str(seed)], 12,
                         'preview parent destroyed 0-200 ms after the start')
