#!/usr/bin/env python3
"""The installer under Wine, in a fresh prefix of its own.

An older installer (made here from the same script with version 0.9.0 and a
different program) is installed first; the tree's installer then upgrades it
silently; the silent uninstaller runs in place and removes it; a last round
checks that the uninstaller keeps a current saver that is not Tamblorn and
removes its own folder when it runs the usual way; another round upgrades and
uninstalls while the saver runs. A settings file written
before the first install must survive every round.

    run_installer.py --installer .../Tamblorn-Setup-1.0.0.exe --program .../ship/Tamblorn.scr ...

Exit code 77 (CTest's skip) where this machine's Wine cannot run the tree.
Standard library only.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time
import unittest

sys.dont_write_bytecode = True  # the suite leaves no byte code in the sources
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
import stage  # noqa: E402
from stage import SKIPPED, wait_for, windows_path  # noqa: E402

UNINSTALL_KEY = r'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tamblorn'
DESKTOP_KEY = r'HKCU\Control Panel\Desktop'
INSTALL_FOLDER = r'C:\Program Files\Tamblorn'
SYSTEM_PROGRAM = r'C:\windows\system32\Tamblorn.scr'
DISPLAY_NAME = 'Tamblorn スクリーンセーバ'  # the tests run with a Japanese system
ENGLISH_DISPLAY_NAME = 'Tamblorn Screen Saver'
# Japanese asked for by the user's language, but an ANSI code page other than 932.
JAPANESE_WITHOUT_932 = {'TAMBLORN_LC_ALL': '', 'LC_MESSAGES': 'ja_JP.UTF-8', 'LC_CTYPE': 'C.UTF-8', 'LANG': 'C.UTF-8'}
PUBLISHER = 'Tamblorn Project'
OLD_VERSION = '0.9.0'
SETTINGS_BYTES = '[BURNING]\r\nTEXT=残り火\r\n'.encode('cp932')
# The zip's copy in the Windows folder: the same name as the installed program.
OTHER_SAVER = r'C:\windows\Tamblorn.scr'
STOPPED_OLD_SYSTEM = 3  # the installer's exit code on a system it cannot serve
STOPPED_BY_ERROR = 2  # NSIS's, when a file could not be written
RUN_LIMIT = 120
STATE_LIMIT = 60

CONFIG = argparse.Namespace()
TIMINGS = []


def unix_path(windows_path):
    """Where a C: path of the prefix lies on this machine."""
    drive, rest = windows_path.split(':', 1)
    assert drive.upper() == 'C', windows_path
    return os.path.join(CONFIG.prefix, 'drive_c', *[part for part in rest.split('\\') if part])


def wine(*args, timeout=RUN_LIMIT, locale=None):
    env = dict(os.environ, TAMBLORN_WINE_PREFIX=CONFIG.prefix)
    env.update(locale or {})
    code, output = stage.run_to_file([CONFIG.wine_run] + list(args), env, CONFIG.output_path, timeout)
    if code == SKIPPED and not getattr(CONFIG, 'prefix_ready', False):
        raise unittest.SkipTest('Wine cannot run this tree here: ' + output.decode('utf-8', 'replace'))
    return code, output.decode('cp932', 'replace').replace('\r\n', '\n')


def timed(label, *args):
    started = time.monotonic()
    code, output = wine(*args)
    TIMINGS.append((label, time.monotonic() - started))
    return code, output


def registry(key):
    """{name: value} of one key as reg shows it (DWORDs as ints), or None when the key is missing."""
    code, output = wine('reg', 'query', key)
    if code != 0:
        return None
    values = {}
    for line in output.splitlines():
        match = re.match(r'^\s+(.+?)\s+(REG_[A-Z_]+)\s+(.*)$', line)
        if match:
            name, kind, value = match.groups()
            values[name] = int(value, 16) if kind == 'REG_DWORD' else value
    return values


def short_form(windows_path):
    """The 8.3 form of a path, from the short names cmd's "dir /x" shows for each part."""
    parts = windows_path.split('\\')
    short = [parts[0]]
    for part in parts[1:]:
        code, listing = wine('cmd', '/c', 'dir', '/x', '\\'.join(short) + '\\')
        name = part
        for line in listing.splitlines():
            match = re.search(r'<DIR>\s+(\S+)\s+(.+)$', line)
            if match and match.group(2).strip() == part:
                name = match.group(1)
        short.append(name)
    return '\\'.join(short)


def start_saver():
    """The installed program full screen on the display, once its window is shown."""
    saver = subprocess.Popen([CONFIG.wine_run, SYSTEM_PROGRAM, '/s'],
                             env=dict(os.environ, TAMBLORN_WINE_PREFIX=CONFIG.prefix))
    wait_for(lambda: saver.poll() is not None or
             subprocess.run(['xdotool', 'search', '--name', '^Screen Saver$'], capture_output=True).stdout, STATE_LIMIT)
    return saver


def end_saver(saver):
    subprocess.run(['xdotool', 'key', 'space'])  # as the user ends it
    saver.wait(STATE_LIMIT)


def file_bytes(path):
    with open(path, 'rb') as handle:
        return handle.read()


def make_installer(name, version, program, readme, defines=()):
    """The installer script made here with other values than the tree's."""
    work = os.path.join(CONFIG.build_dir, 'installer-work')
    os.makedirs(work, exist_ok=True)
    output = os.path.join(work, 'Tamblorn-Setup-%s.exe' % name)
    subprocess.run([CONFIG.makensis, '-INPUTCHARSET', 'UTF8', '-V1'] + CONFIG.nsis_define + list(defines) +
                   ['-DVERSION=' + version, '-DPROGRAM=' + program, '-DREADME=' + readme, '-DICON=' + CONFIG.icon,
                    '-DOUTFILE=' + output, CONFIG.script], check=True, timeout=120)
    return output


def make_old_installer():
    """Version 0.9.0 around a different program and read-me."""
    readme = os.path.join(CONFIG.build_dir, 'installer-work', 'README-%s.txt' % OLD_VERSION)
    os.makedirs(os.path.dirname(readme), exist_ok=True)
    with open(CONFIG.readme, 'rb') as source, open(readme, 'wb') as target:
        target.write(source.read().replace(CONFIG.version.encode(), OLD_VERSION.encode()))
    return make_installer(OLD_VERSION, OLD_VERSION, CONFIG.old_program, readme)


class Installer(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        stage.stop_prefix(CONFIG.prefix)
        if os.path.exists(CONFIG.prefix):
            shutil.rmtree(CONFIG.prefix)
        stage.watch_prefix(CONFIG.prefix)
        code, output = wine('cmd', '/c', 'exit', '0', timeout=300)
        if code != 0:
            raise RuntimeError('the fresh prefix does not start: ' + output)
        CONFIG.prefix_ready = True
        stage.keep_prefix_up(CONFIG.prefix)
        with open(stage.settings_path(CONFIG.prefix), 'wb') as settings:
            settings.write(SETTINGS_BYTES)

    def assert_settings_kept(self):
        self.assertEqual(file_bytes(stage.settings_path(CONFIG.prefix)), SETTINGS_BYTES)

    def assert_installed(self, version, program):
        self.assertEqual(file_bytes(unix_path(SYSTEM_PROGRAM)), file_bytes(program))
        values = registry(UNINSTALL_KEY)
        self.assertIsNotNone(values, 'no entry in the list of installed programs')
        uninstaller = INSTALL_FOLDER + r'\uninstall.exe'
        expected = {'DisplayName': DISPLAY_NAME, 'DisplayVersion': version, 'Publisher': PUBLISHER,
                    'DisplayIcon': SYSTEM_PROGRAM + ',0', 'InstallLocation': INSTALL_FOLDER,
                    'UninstallString': '"%s"' % uninstaller, 'QuietUninstallString': '"%s" /S' % uninstaller,
                    'NoModify': 1, 'NoRepair': 1}
        self.assertEqual({name: values.get(name) for name in expected}, expected)
        installed_kilobytes = sum(os.path.getsize(unix_path(path)) for path in
                                  (SYSTEM_PROGRAM, uninstaller, INSTALL_FOLDER + r'\README.txt')) / 1024
        self.assertAlmostEqual(values.get('EstimatedSize'), installed_kilobytes, delta=3)
        desktop = registry(DESKTOP_KEY)
        self.assertEqual(desktop.get('SCRNSAVE.EXE', '').lower(), SYSTEM_PROGRAM.lower())
        self.assertEqual(desktop.get('ScreenSaveActive'), '1')
        with open(unix_path(INSTALL_FOLDER + r'\README.txt'), encoding='utf-8-sig') as readme:
            self.assertIn('Tamblorn Screen Saver  version ' + version, readme.read())
        self.assert_settings_kept()

    def uninstall_in_place(self, label):
        """Wine quotes an argument with a space, and NSIS would then ignore _?=, so the folder goes in its 8.3 form."""
        folder = short_form(INSTALL_FOLDER)
        self.assertNotIn(' ', folder)
        code, output = timed(label, INSTALL_FOLDER + r'\uninstall.exe', '/S', '_?=' + folder)
        self.assertEqual(code, 0, output)

    def assert_gone_the_usual_way(self):
        """The uninstaller run the usual way copies itself away, returns at once and removes its own folder too."""
        self.assertTrue(wait_for(lambda: not os.path.exists(unix_path(INSTALL_FOLDER)), STATE_LIMIT),
                        'the uninstaller left its folder')
        self.assertTrue(wait_for(lambda: registry(UNINSTALL_KEY) is None, STATE_LIMIT), 'the entry is still listed')

    def assert_removed(self):
        self.assertFalse(os.path.exists(unix_path(SYSTEM_PROGRAM)), 'the program is still installed')
        self.assertIsNone(registry(UNINSTALL_KEY), 'the entry is still listed')
        self.assertFalse(os.path.exists(unix_path(INSTALL_FOLDER + r'\README.txt')))
        self.assert_settings_kept()

    def test_install_upgrade_and_uninstall(self):
        old_installer = make_old_installer()
        self.assertEqual(wine(windows_path(old_installer), '/S')[0], 0)
        self.assert_installed(OLD_VERSION, CONFIG.old_program)

        code, output = timed('silent upgrade (s)', windows_path(CONFIG.installer), '/S')
        self.assertEqual(code, 0, output)
        self.assert_installed(CONFIG.version, CONFIG.program)

        self.uninstall_in_place('silent uninstall in place (s)')
        self.assert_removed()
        self.assertNotIn('SCRNSAVE.EXE', registry(DESKTOP_KEY), 'Tamblorn is still the current saver')
        # Run in place, the uninstaller cannot remove itself: the caller does.
        self.assertEqual(os.listdir(unix_path(INSTALL_FOLDER)), ['uninstall.exe'])
        shutil.rmtree(unix_path(INSTALL_FOLDER))

    def test_uninstall_keeps_another_current_saver(self):
        code, output = timed('silent install into a clean system (s)', windows_path(CONFIG.installer), '/S')
        self.assertEqual(code, 0, output)
        self.assert_installed(CONFIG.version, CONFIG.program)
        self.assertEqual(wine('reg', 'add', DESKTOP_KEY, '/v', 'SCRNSAVE.EXE', '/d', OTHER_SAVER, '/f')[0], 0)

        self.assertEqual(wine(INSTALL_FOLDER + r'\uninstall.exe', '/S')[0], 0)
        self.assert_gone_the_usual_way()
        self.assert_removed()
        self.assertEqual(registry(DESKTOP_KEY).get('SCRNSAVE.EXE'), OTHER_SAVER)

    def test_japanese_pages_only_where_the_code_page_shows_them(self):
        # The ANSI installer falls back to English; the 64-bit test build is
        # a Unicode one and shows Japanese everywhere.
        expected = DISPLAY_NAME if '-DTEST_AMD64' in CONFIG.nsis_define else ENGLISH_DISPLAY_NAME
        code, output = wine(windows_path(CONFIG.installer), '/S', locale=JAPANESE_WITHOUT_932)
        self.assertEqual(code, 0, output)
        shown = registry(UNINSTALL_KEY).get('DisplayName')
        self.assertEqual(wine(INSTALL_FOLDER + r'\uninstall.exe', '/S', locale=JAPANESE_WITHOUT_932)[0], 0)
        self.assert_gone_the_usual_way()
        self.assertEqual(shown, expected)

    def test_too_old_a_system_stops_before_changing_anything(self):
        # Wine's common controls are new, so this installer asks for more:
        # version 99 where the real one asks for 4.70.
        demanding = make_installer('demanding', CONFIG.version, CONFIG.program, CONFIG.readme,
                                   ['-DCOMMON_CONTROLS_MAJOR=99'])
        code, output = wine(windows_path(demanding), '/S')
        self.assertEqual(code, STOPPED_OLD_SYSTEM, output)
        self.assert_removed()
        self.assertFalse(os.path.exists(unix_path(INSTALL_FOLDER)))
        self.assertNotIn('SCRNSAVE.EXE', registry(DESKTOP_KEY))

    def test_upgrade_and_uninstall_while_the_saver_runs(self):
        self.assertEqual(wine(windows_path(make_old_installer()), '/S')[0], 0)
        saver = start_saver()
        self.addCleanup(end_saver, saver)
        code, output = timed('silent upgrade while the saver runs (s)', windows_path(CONFIG.installer), '/S')
        self.assertEqual(code, STOPPED_BY_ERROR, output)
        self.assert_installed(OLD_VERSION, CONFIG.old_program)
        self.uninstall_in_place('silent uninstall while the saver runs (s)')
        self.assertIsNone(saver.poll(), 'the saver was not running throughout')
        end_saver(saver)
        self.assertEqual(wine('wineboot', '--restart')[0], 0)
        self.assert_removed()
        shutil.rmtree(unix_path(INSTALL_FOLDER))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    # The tree's installer, the stripped program it holds, a different program for the older installer, ...
    for option in ('--installer', '--program', '--old-program', '--version', '--readme', '--icon', '--script',
                   '--makensis', '--wine-run', '--build-dir'):
        parser.add_argument(option, required=True)
    parser.add_argument('--nsis-define', action='append', default=[], help='e.g. -DTEST_AMD64')
    parser.add_argument('unittest_args', nargs='*')
    parser.parse_args(namespace=CONFIG)
    CONFIG.prefix = os.path.join(os.path.abspath(CONFIG.build_dir), 'installer-prefix')
    CONFIG.output_path = os.path.join(os.path.abspath(CONFIG.build_dir), 'installer-work', 'output.txt')
    os.makedirs(os.path.dirname(CONFIG.output_path), exist_ok=True)
    CONFIG.nsis_define = [d for d in CONFIG.nsis_define if d]

    # A display of the run's own: the pages are never shown, but Wine wants one.
    os.environ['DISPLAY'], display = stage.start_display(range(260, 300))
    loader = unittest.TestLoader()
    if CONFIG.unittest_args:
        loader.testNamePatterns = ['*%s*' % pattern for pattern in CONFIG.unittest_args]
    suite = loader.loadTestsFromTestCase(Installer)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    stage.stop_prefix(CONFIG.prefix)
    stage.stop_display(display)
    for label, seconds in TIMINGS:
        print('timing: %s %.2f' % (label, seconds))
    print('installer: %d bytes' % os.path.getsize(CONFIG.installer))
    if result.testsRun and len(result.skipped) == result.testsRun:
        return SKIPPED
    return 0 if result.wasSuccessful() else 1


if __name__ == '__main__':
    sys.exit(main())
