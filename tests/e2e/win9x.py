"""The 9x group: a Windows 98 prefix with password protection on and the test
libraries beside the program."""

import os
import shutil
import time

from support import *  # noqa: F401,F403


class Win9x(StageCase):
    """A Windows 98 prefix with password protection on and the test verifier beside the program."""

    group = 'win9x'

    @classmethod
    def set_up_stage(cls):
        reg_add('HKCU\\Software\\Wine', '/v', 'Version', '/d', 'win98')
        reg_add('HKCU\\Control Panel\\Desktop', '/v', 'ScreenSaveUsePassword', '/t', 'REG_DWORD', '/d', '1')
        cls.program_dir = os.path.join(STAGE.work, 'program')
        os.makedirs(cls.program_dir, exist_ok=True)
        cls.saver = os.path.join(cls.program_dir, os.path.basename(CONFIG.saver))
        shutil.copy2(CONFIG.saver, cls.saver)
        for double in (CONFIG.verifier, CONFIG.password_change):
            if double:
                shutil.copy2(double, os.path.join(cls.program_dir, os.path.basename(double)))
        cls.log = os.path.join(STAGE.work, 'doubles.log')

    def setUp(self):
        super().setUp()
        remove_file(self.log)

    def wait_verifier_call(self, number, answer):
        calls = wait_for(lambda: file_lines(self.log, 'VerifyScreenSavePwd call=%d' % number), 5.0)
        self.assertTrue(calls, 'key press %d did not ask the verifier: %s' % (number, file_lines(self.log)))
        self.assertIn('answer=%d' % answer, calls[0])

    def test_key_asks_the_verifier_until_it_accepts(self):
        if not CONFIG.verifier:
            self.fail('the PASSWORD.CPL test double is not built (tests/win32/doubles.cmake)')
        env = {'TAMBLORN_VERIFIER_ANSWERS': '01', 'TAMBLORN_DOUBLE_LOG': windows_path(self.log)}
        process = start_wine(self.saver, ['/s'], env)
        wait_saver_window(process)
        self.assertIn('PASSWORD.CPL loaded', file_lines(self.log))
        time.sleep(0.5)

        press_key()
        self.wait_verifier_call(1, 0)
        time.sleep(1.0)
        self.assertIsNone(process.poll(), 'the saver ended although the verifier refused')
        press_key()
        self.wait_verifier_call(2, 1)
        self.assertEqual(wait_exit(process, 5), EXIT_DONE)
        self.assertIn('PASSWORD.CPL freed', file_lines(self.log))

    def test_password_switch_changes_the_password(self):
        if not CONFIG.password_change:
            self.fail('the MPR.DLL test double is not built (tests/win32/doubles.cmake)')
        env = {'TAMBLORN_DLL_OVERRIDES': 'mpr=n', 'TAMBLORN_DOUBLE_LOG': windows_path(self.log)}
        for args in (['/a', '99'], ['/a']):
            with self.subTest(args=args):
                remove_file(self.log)
                code, output = run_wine(self.saver, args, timeout=30, extra_env=env)
                self.assertEqual(code, EXIT_DONE, 'the 9x family must accept /a: %s' % output)
                calls = file_lines(self.log, 'PwdChangePasswordA')
                self.assertEqual(len(calls), 1, file_lines(self.log))
                self.assertRegex(calls[0], r'provider="SCRSAVE" owner=\d+ third=0 fourth=0')
                self.assertIn('MPR.DLL freed', file_lines(self.log))
