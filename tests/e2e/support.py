"""What the end-to-end groups share: the group's stage (its own virtual display,
Wine prefix and work folder), Windows programs started through the tree's
wine-run.sh, the settings file, the saver's windows and the inspector, and the
base of every group's cases (run_e2e.py runs them).
"""

import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
from stage import SKIPPED, STAGE, keep_prefix_up, process_table, settings_path as prefix_settings_path  # noqa: E402,F401
from stage import WAIT_SCALE, start_display, stop_display, stop_prefix, wait_for, watch_prefix, windows_path  # noqa: E402,F401
from stage import x_tool  # noqa: E402,F401

SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768
DISPLAY_NUMBERS = range(200, 260)
SAVER_TITLE = 'Screen Saver'
DIALOG_TITLE = 'Tamblornスクリーンセーバ設定'
WINDOW_WRAP = 1 << 32
FIRST_JUMP_TICKS = 101
FIRST_JUMP_SECONDS = FIRST_JUMP_TICKS / 10
START_WAIT = 20.0
POINTER_WAIT_MS = int(5000 * WAIT_SCALE)
DIALOG_WAIT_MS = int(60000 * WAIT_SCALE)  # an upper bound: beside a second suite a dialog took over 20 s to come

# Exit codes as the Unix side sees them: -1 arrives as 255.
EXIT_DONE, EXIT_OK, EXIT_CANCEL, EXIT_REJECTED = 0, 1, 2, 255

# The randomised runs try a bounded sample in the suite and the full count when
# TAMBLORN_STRESS=1 is set (make stress): index 0 or 1 of (sample, full count).
STRESS = os.environ.get('TAMBLORN_STRESS') == '1'

# Filled from the command line by run_e2e.py.
CONFIG = argparse.Namespace()


# --- Processes, display and prefix -----------------------------------------


def base_env(extra=None):
    """The outer environment without the test doubles' settings, with the stage's display, prefix and env."""
    env = {name: value for name, value in os.environ.items()
           if name not in ('TAMBLORN_DLL_OVERRIDES', 'TAMBLORN_VERIFIER_ANSWERS', 'TAMBLORN_DOUBLE_LOG')}
    env.update(getattr(STAGE, 'env', {}), DISPLAY=STAGE.display, TAMBLORN_WINE_PREFIX=STAGE.prefix, **(extra or {}))
    return env


def start_wine(program, args, extra_env=None):
    """Starts a Windows program under the tree's wine-run.sh in its own process group, its output going to a file
    for the reason stage.run_to_file gives."""
    STAGE.output_count = getattr(STAGE, 'output_count', 0) + 1
    output_path = os.path.join(STAGE.work, 'output-%d-%d.txt' % (os.getpid(), STAGE.output_count))
    with open(output_path, 'wb') as output:
        process = subprocess.Popen([CONFIG.wine_run, program] + list(args), env=base_env(extra_env),
                                   stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT,
                                   start_new_session=True)
    process.output_path = output_path
    STAGE.started.append(process)
    return process


def process_output(process):
    with open(process.output_path, 'rb') as output:
        return output.read().decode('utf-8', 'replace').replace('\r\n', '\n')


def run_wine(program, args, timeout=60, extra_env=None):
    process = start_wine(program, args, extra_env)
    if wait_exit(process, timeout) is None:
        stop_process(process)
        raise AssertionError('%s %s did not end within %s s' % (os.path.basename(program), args, timeout))
    return process.returncode, process_output(process)


def wait_exit(process, timeout):
    """The exit code, or None while the process still runs after the timeout."""
    try:
        process.wait(timeout=timeout * WAIT_SCALE)
    except subprocess.TimeoutExpired:
        return None
    return process.returncode


def stop_process(process):
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait()


def stop_leftovers():
    for process in STAGE.started:
        stop_process(process)
        remove_file(process.output_path)
    STAGE.started = []


def remove_file(path):
    if os.path.exists(path):
        os.remove(path)


def file_lines(path, prefix=''):
    """The lines starting with prefix of a file that a helper or a test double writes in Shift-JIS (none before it
    is written)."""
    if not os.path.exists(path):
        return []
    with open(path, encoding='cp932', errors='replace') as lines:
        return [line for line in lines.read().splitlines() if line.startswith(prefix)]


def open_stage(case):
    """Starts the display of the group `case` (its show_display) and keeps its prefix's Wine server up (the
    first program through wine-run.sh makes the prefix); its stage_env goes to every Windows program of the group."""
    STAGE.env = dict(case.stage_env)
    STAGE.prefix = os.path.join(CONFIG.build_dir, 'e2e-prefix-' + case.group)
    STAGE.work = os.path.join(CONFIG.build_dir, 'e2e-work', case.group)
    os.makedirs(STAGE.work, exist_ok=True)
    # Whatever an interrupted run left in the prefix goes with its Wine server;
    # what this run starts there ends with it, however it ends.
    stop_prefix(STAGE.prefix)
    watch_prefix(STAGE.prefix)
    case.show_display()
    code, output = run_wine(CONFIG.inspector, ['savers'], timeout=180)
    if code == SKIPPED:
        raise unittest.SkipTest('Wine cannot run this tree on this machine: ' + output.strip())
    if code != 0:
        raise RuntimeError('the Wine prefix %s does not work: %s' % (STAGE.prefix, output))
    keep_prefix_up(STAGE.prefix)


def close_stage():
    stop_leftovers()
    if STAGE.prefix:
        stop_prefix(STAGE.prefix)
        STAGE.prefix = None
    for server in ('xvfb', 'host_xvfb'):
        stop_display(getattr(STAGE, server))
        setattr(STAGE, server, None)


# --- The settings file ------------------------------------------------------


def settings_path():
    return prefix_settings_path(STAGE.prefix)


def write_settings(text):
    """Writes the settings file as private-profile text in Shift-JIS, or removes it for None."""
    if text is None:
        return remove_file(settings_path())
    with open(settings_path(), 'wb') as settings:
        settings.write(text.replace('\n', '\r\n').encode('cp932'))


def reg_add(key, *value_args):
    code, output = run_wine('reg', ['add', key] + list(value_args) + ['/f'])
    if code != 0:
        raise RuntimeError('reg add %s failed: %s' % (key, output))


# --- The saver and its windows ------------------------------------------------


def saver_command_line(arguments, quoted=True):
    """The raw command line bytes: the program name, quoted or not, then the argument bytes."""
    name = windows_path(CONFIG.saver).encode('cp932')
    return (b'"' + name + b'"' if quoted else name) + arguments


def launch(command_line, extra_env=None):
    """Starts the saver through the launcher with exactly these command-line bytes."""
    return start_wine(CONFIG.launcher, [windows_path(CONFIG.saver), command_line.hex()], extra_env)


def saver_exit(process, timeout):
    """The saver's exit code, started directly or as the launcher reports it."""
    code = wait_exit(process, timeout)
    if code is None or process.args[1] != CONFIG.launcher:
        return code
    output = process_output(process)
    match = re.search(r'exit=(-?\d+)', output)
    if not match:
        raise AssertionError('the launcher did not start the saver: ' + output.strip())
    return int(match.group(1)) & 0xFF


def saver_windows():
    """The X windows that carry the full-screen saver's title."""
    return x_tool('xdotool', 'search', '--name', '^%s$' % SAVER_TITLE).split()


def wait_saver_window(process, timeout=START_WAIT):
    def shown():
        if process.poll() is not None:
            raise AssertionError('the saver ended with %s before its window appeared' % process.returncode)
        return saver_windows()
    windows = wait_for(shown, timeout)
    if not windows:
        raise AssertionError('no window titled "%s" appeared within %s s' % (SAVER_TITLE, timeout))
    return windows


def inspect(*commands, timeout=60):
    return run_wine(CONFIG.inspector, [str(c) for c in commands], timeout=timeout)


def dialog_controls(output):
    """{id: (class, checked, text)} from the inspector's "controls" lines."""
    controls = {}
    for match in re.finditer(r'^control (-?\d+) class (\S+) style \S+ checked (-?\d+) text ([0-9a-f]*)$', output,
                             re.M):
        text = bytes.fromhex(match.group(4)).decode('cp932', 'replace')
        controls.setdefault(int(match.group(1)), (match.group(2), int(match.group(3)), text))
        controls.setdefault(('text', text), int(match.group(1)))
    return controls


def move_pointer(x, y):
    """Moves the pointer and waits until Wine reports it there: for a while after
    its own last pointer event Wine answers the position it knew, and a saver
    started then would take the move as the user's."""
    x_tool('xdotool', 'mousemove', str(x), str(y))
    code, output = inspect('wait-cursor', x, y, POINTER_WAIT_MS)
    if code != 0:
        raise AssertionError('Wine does not report the pointer at (%d, %d): %s' % (x, y, output.strip()))


def leftover_savers():
    """The saver processes still running in the stage's prefix."""
    prefix = b'WINEPREFIX=' + STAGE.prefix.encode()
    return [pid for pid, (_, command, env) in process_table().items()
            if 'tamblorn.scr' in command.split(' ')[0].lower() and prefix in env]


def canvas_after(ticks, *options):
    """The canvas as (left, top, right, bottom) on the stage's screen after that many ticks, as the saver's own
    set-up and step place it (tamblorn-render: the options over the stage's settings file)."""
    code, output = run_wine(CONFIG.render, ['--client', '%dx%d' % (SCREEN_WIDTH, SCREEN_HEIGHT), '--ticks', str(ticks)]
                            + list(options))
    found = re.search(r'^canvas (\d+)x(\d+) fuel \d+ origin (-?\d+),(-?\d+)', output, re.M)
    if code != 0 or not found:
        raise AssertionError('tamblorn-render did not tell the canvas: %s' % output)
    width, height, left, top = map(int, found.groups())
    return left, top, left + width, top + height


def press_key(key='space'):
    x_tool('xdotool', 'key', key)


def note_time(label, seconds):
    STAGE.timings.append((label, seconds))


def note_count(text):
    """Counts of a randomised run: printed at the end and kept in the work folder for the suite's summary."""
    STAGE.counts.append(text)
    with open(os.path.join(STAGE.work, 'counts.txt'), 'a') as counts:
        counts.write(text + '\n')


# --- Cases ----------------------------------------------------------------------


class StageCase(unittest.TestCase):
    """A group's cases: the group's stage is opened before the first and closed after the last."""
    group = None
    stage_env = {}

    @classmethod
    def setUpClass(cls):
        try:
            open_stage(cls)
            cls.set_up_stage()
        except BaseException:
            close_stage()
            raise

    @classmethod
    def show_display(cls):
        STAGE.display, STAGE.xvfb = start_display(DISPLAY_NUMBERS, '%dx%dx24' % (SCREEN_WIDTH, SCREEN_HEIGHT))

    @classmethod
    def set_up_stage(cls):
        pass

    @classmethod
    def tearDownClass(cls):
        close_stage()

    def setUp(self):
        move_pointer(SCREEN_WIDTH // 2, SCREEN_HEIGHT // 2)

    def tearDown(self):
        stop_leftovers()
        write_settings(None)

    def end_with_key(self, process, label):
        """A key press ends the running full-screen saver with 0."""
        self.assertIsNone(process.poll(), '%s: the saver ended before the key press' % label)
        pressed = time.monotonic()
        press_key()
        code = saver_exit(process, 10)
        note_time('%s: key press to exit (s)' % label, time.monotonic() - pressed)
        self.assertEqual(code, EXIT_DONE, '%s: the key press did not end the saver with 0' % label)

    def run_full_screen_and_press_key(self, process, label):
        wait_saver_window(process)
        time.sleep(0.5)
        self.end_with_key(process, label)
        self.assertTrue(wait_for(lambda: not saver_windows(), 10), 'a saver window is still on the screen')

    def run_counted(self, helper, count, arguments, seconds_per_case, what):
        """Runs a helper that tries `count` generated cases against the real saver (seeded at random) and
        expects every case right, its count in its summary and no saver left running."""
        seed = random.randrange(1, 1 << 31)
        code, output = run_wine(helper, [windows_path(CONFIG.saver)] + arguments(count, seed),
                                timeout=count * seconds_per_case + 60)
        summary = output.strip().splitlines()[-1] if output.strip() else ''
        note_count('%s (seed %d): %s' % (what, seed, summary))
        self.assertEqual(leftover_savers(), [], 'saver processes left running')
        self.assertEqual(code, 0, output)
        self.assertIn('tried %d ' % count, summary)

    def open_dialog(self, process, label):
        return self.drive_dialog('controls', wait_ms=DIALOG_WAIT_MS, process=process, label=label)

    def escape_dialog(self, process, label):
        """Waits for the dialog, closes it with Escape and expects the cancel exit."""
        output = self.open_dialog(process, label)
        time.sleep(0.3)
        press_key('Escape')
        self.assertEqual(saver_exit(process, 10), EXIT_CANCEL, '%s: exit code' % label)
        return output

    def drive_dialog(self, *commands, wait_ms=5000, process=None, label=''):
        """The inspector's output once it found the dialog, waiting up to wait_ms, and did the commands."""
        code, output = inspect('find-dialog', DIALOG_TITLE.encode('cp932').hex(), wait_ms, *commands,
                               timeout=wait_ms / 1000 + 60)
        self.assertEqual(code, 0, '%s: no dialog titled "%s" (saver exit %s), or the inspector could not do %s: %s' %
                         (label, DIALOG_TITLE, process and process.poll(), commands, output))
        return output
