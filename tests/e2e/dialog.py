"""The dialog group: what the configuration dialog shows and what it stores."""

import os
import re

from screen import save_png, screenshot
from support import *  # noqa: F401,F403


class Dialog(StageCase):
    """The configuration dialog: what it shows and what it stores."""

    group = 'dialog'

    LIMIT_RADIOS = {1030: '弱火', 1031: '中火', 1032: '強火'}

    def open_configure(self, settings):
        write_settings(settings)
        process = start_wine(CONFIG.saver, ['/c'])
        return process, dialog_controls(self.open_dialog(process, '/c'))

    def finish(self, process, exit_code, *commands):
        """Drives the dialog with the inspector's commands and checks the saver's exit code."""
        self.drive_dialog(*commands)
        self.assertEqual(wait_exit(process, 10), exit_code)

    picture = None  # where a run with --screens saves the dialog as shown

    # What the dialog's radios show is judged in process (tests/win32/configure_dialog_test.cpp: the radios a stored
    # fire mode and a limit of 8 check, a click keeping the other row); here the real program shows through the
    # system's code page and what OK and Cancel leave in the settings file.
    def test_shows_title_and_controls(self):
        process, controls = self.open_configure(None)
        if self.picture and CONFIG.screens:
            rect = re.search(r'^dialog \d+ owner \d+ rect (.*)$', self.drive_dialog(), re.M)
            left, top, right, bottom = map(int, rect.group(1).split())
            save_png(screenshot(), os.path.join(CONFIG.screens, self.picture), '-crop',
                     '%dx%d+%d+%d' % (right - left, bottom - top, left, top), '+repage')
        for text in ('表示文字', 'フォントサイズ'):
            self.assertIn(('text', text), controls, 'no control shows "%s"' % text)
        expected = {1: 'OK', 2: 'キャンセル', 1020: '文字燃える', 1021: '焚き火', 1005: 'ループ', 1001: '五字送り火', 1002: '32',
                    **self.LIMIT_RADIOS}
        for control_id, text in expected.items():
            self.assertEqual(controls[control_id][2], text)
        self.finish(process, EXIT_CANCEL, 'click', 2)

    def test_stored_limit_picks_the_strength_radio(self):
        for limit, checked in ((6, 1030), (12, 1032), (10, 1031), (20, 1032)):
            with self.subTest(limit=limit):
                process, controls = self.open_configure('[FLAME]\nLIMIT=%d\n' % limit)
                states = {control_id: controls[control_id][1] for control_id in self.LIMIT_RADIOS}
                self.assertEqual(states, {control_id: int(control_id == checked) for control_id in self.LIMIT_RADIOS},
                                 '%s should be checked' % self.LIMIT_RADIOS[checked])
                self.finish(process, EXIT_CANCEL, 'click', 2)

    def test_ok_keeps_the_texts_shift_jis_bytes_the_typed_size_and_the_bonfire(self):
        process, controls = self.open_configure('[BURNING]\nTEXT=燃えろ 火\n')
        self.assertEqual(controls[1001][2], '燃えろ 火')
        self.finish(process, EXIT_OK, 'settext', 1001, '炎の文字'.encode('cp932').hex(), 'settext', 1002,
                    '200'.encode().hex(), 'click', 1021, 'click', 1)
        with open(settings_path(), 'rb') as settings:
            self.assertEqual(settings.read(), ('[BURNING]\r\nTEXT=炎の文字\r\n[FONT]\r\nSIZE=-56\r\n[WHITCH]\r\n'
                                               'FIRE=1\r\n[FLAME]\r\nLIMIT=12\r\nLOOP=0\r\n').encode('cp932'))

    def test_cancel_leaves_the_file_unchanged(self):
        process, _ = self.open_configure('[BURNING]\nTEXT=燃えろ\n[WHITCH]\nFIRE=0\n[FLAME]\nLIMIT=8\n')
        with open(settings_path(), 'rb') as settings:
            before = settings.read()
        self.finish(process, EXIT_CANCEL, 'click', 1021, 'click', 1030, 'click', 2)
        with open(settings_path(), 'rb') as settings:
            self.assertEqual(settings.read(), before)

    def test_ok_with_empty_text_stores_empty_text(self):
        process, _ = self.open_configure('[BURNING]\nTEXT=燃えろ\n')
        self.finish(process, EXIT_OK, 'settext', 1001, '', 'click', 1)
        self.assertEqual(file_lines(settings_path(), 'TEXT='), ['TEXT='])


class DialogOnCodePage1252(Dialog):
    """The same dialog where the system's code page is 1252, as on an English Windows."""

    group = 'dialog_cp1252'
    stage_env = {'TAMBLORN_LC_ALL': 'C.UTF-8'}
    picture = 'configure-dialog-cp1252.png'

    @classmethod
    def set_up_stage(cls):
        # The dialog font links to "MS UI Gothic" for Japanese, as on an English Windows; here that is IPAGothic.
        reg_add('HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes', '/v', 'MS UI Gothic',
                '/d', 'IPAGothic')


class DialogOnCodePage65001(DialogOnCodePage1252):
    """The same dialog where the system's code page is UTF-8: Windows gives Hindi no ANSI code page, and Wine
    then takes 65001."""

    group = 'dialog_cp65001'
    stage_env = {'TAMBLORN_LC_ALL': 'hi_IN.UTF-8'}
    picture = 'configure-dialog-cp65001.png'
