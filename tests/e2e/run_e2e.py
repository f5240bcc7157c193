#!/usr/bin/env python3
"""End-to-end runs of the real saver program under Wine on a virtual display.

Every group of cases runs on its own Xvfb display (1024 x 768 x 24) and in a
Wine prefix inside the build tree, and drives the program as the platform and
the user would: command lines, key presses and mouse moves through xdotool,
screenshots through xwd, and three small Windows helpers of this directory
(an exact-command-line launcher, a preview parent window and a window
inspector). CTest runs one group per test:

    python3 run_e2e.py --group full_screen --saver .../Tamblorn.scr \
        --wine-run .../wine-run.sh --build-dir ... --launcher ... ...

Standard library only.
"""

import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest

SKIPPED = 77  # CTest's skip code: this machine's Wine cannot run the tree

SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768
DISPLAY_NUMBERS = range(200, 260)
SAVER_TITLE = 'Screen Saver'
DIALOG_TITLE = 'Tamblornスクリーンセーバ設定'
SETTINGS_FILE_NAME = 'TamblornScrS'
WINDOW_WRAP = 1 << 32

# Canvas rectangles as (left, top, right, bottom), right and bottom exclusive.
# The default text is 10 bytes at 32 pixels: a 320 x 232 canvas, centred.
TEXT_CANVAS = (352, 268, 672, 500)
# The first jump of a fresh process draws 41 and 18467: origin (41, 243).
TEXT_AFTER_FIRST_JUMP = (41, 243, 361, 475)
# The bonfire canvas is the 286 x 106 logs picture plus 200 rows, centred.
BONFIRE_CANVAS = (369, 231, 655, 537)
LOGS_BAND = (369, 431, 655, 537)
PREVIEW_SIZE = (152, 112)
PICTURE_CROP = (500, 350)
# Moments for the pictures: at full strength (level 12 from 37.2 s on) while the
# canvas stands away from the screen's edges (text from the third jump on at
# (161, 180), the bonfire from the fourth at (408, 252)).
TEXT_PICTURE_SECONDS = 38.0
BONFIRE_PICTURE_SECONDS = 44.0

FIRST_JUMP_SECONDS = 10.1
KEY_EXIT_ALLOWANCE = 1.5  # "within a second", plus Wine's process teardown
REJECT_ALLOWANCE = 5.0  # "within a few seconds"
START_WAIT = 20.0

# Exit codes as the Unix side sees them: -1 arrives as 255.
EXIT_DONE, EXIT_OK, EXIT_CANCEL, EXIT_REJECTED = 0, 1, 2, 255

# The randomised runs try a bounded sample in the suite and the full count when
# TAMBLORN_STRESS=1 is set (make stress): (sample, full count).
STRESS = os.environ.get('TAMBLORN_STRESS') == '1'
VANISHING_PARENT_CASES = (60, 300)
COMMAND_LINE_CASES = (30, 300)
POINTER_WAIT_MS = 5000
PREVIEW_WAIT_MS = 20000
START_DISPLAY = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools', 'start-display.sh')

# Filled from the command line by main().
CONFIG = argparse.Namespace()
# The display and the Wine prefix the running group uses.
STAGE = argparse.Namespace(display=None, xvfb=None, prefix=None, extra_env={}, started=[], timings=[], counts=[])


# --- Processes, display and prefix -----------------------------------------


def windows_path(path):
    """The path of a Unix file as Wine's drive Z: shows it."""
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def base_env(extra=None):
    env = dict(os.environ)
    env['DISPLAY'] = STAGE.display
    env['TAMBLORN_WINE_PREFIX'] = STAGE.prefix
    for name in ('TAMBLORN_DLL_OVERRIDES', 'TAMBLORN_VERIFIER_ANSWERS', 'TAMBLORN_DOUBLE_LOG'):
        env.pop(name, None)
    env.update(STAGE.extra_env)
    env.update(extra or {})
    return env


def start_wine(program, args, extra_env=None):
    """Starts a Windows program under the tree's wine-run.sh in its own process group.

    The output goes to a file, not a pipe: Wine's own service processes, started
    by whichever program comes first, inherit the descriptors and would keep a
    pipe open for ever.
    """
    work = os.path.join(CONFIG.build_dir, 'e2e-work')
    os.makedirs(work, exist_ok=True)
    STAGE.output_count = getattr(STAGE, 'output_count', 0) + 1
    output_path = os.path.join(work, 'output-%d-%d.txt' % (os.getpid(), STAGE.output_count))
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
        process.wait(timeout=timeout)
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
        if os.path.exists(process.output_path):
            os.remove(process.output_path)
    STAGE.started = []


def x_tool(*args):
    env = dict(os.environ, DISPLAY=STAGE.display)
    return subprocess.run(list(args), env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          timeout=20).stdout.decode('utf-8', 'replace')


def start_display():
    """A virtual display that answers, from the project's display script."""
    found = subprocess.run(['bash', START_DISPLAY, str(DISPLAY_NUMBERS[0]), str(DISPLAY_NUMBERS[-1])],
                           env=dict(os.environ, TAMBLORN_SCREEN='%dx%dx24' % (SCREEN_WIDTH, SCREEN_HEIGHT)),
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, timeout=120)
    if found.returncode != 0:
        raise RuntimeError('no virtual display came up')
    number, pid = found.stdout.split()
    STAGE.display, STAGE.xvfb = ':%s' % number.decode(), int(pid)


def process_gone(pid):
    """Whether the process has ended (a process nobody has reaped yet counts as ended)."""
    try:
        with open('/proc/%d/stat' % pid) as stat:
            return stat.read().rsplit(')', 1)[1].split()[0] == 'Z'
    except OSError:
        return True


def stop_display():
    if STAGE.xvfb:
        try:
            os.kill(STAGE.xvfb, signal.SIGTERM)
        except ProcessLookupError:
            pass
        wait_for(lambda: process_gone(STAGE.xvfb), 10)
        STAGE.xvfb = None


def wineserver(*args):
    env = dict(os.environ, WINEPREFIX=STAGE.prefix)
    subprocess.run([CONFIG.wineserver] + list(args), env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def open_stage(prefix_name, extra_env=None):
    """Starts the display, makes sure the prefix exists and keeps its Wine server up."""
    STAGE.prefix = os.path.join(CONFIG.build_dir, prefix_name)
    STAGE.extra_env = dict(extra_env or {})
    # Whatever an interrupted run left in the prefix goes with its Wine server.
    wineserver('-k')
    wineserver('-w')
    start_display()
    # The first run through wine-run.sh creates the prefix (unmanaged windows included).
    code, output = run_wine(CONFIG.inspector, ['savers'], timeout=180)
    if code == SKIPPED:
        raise unittest.SkipTest('Wine cannot run this tree on this machine: ' + output.strip())
    if code != 0:
        raise RuntimeError('the Wine prefix %s does not work: %s' % (STAGE.prefix, output))
    subprocess.Popen([CONFIG.wineserver, '-p'], env=dict(os.environ, WINEPREFIX=STAGE.prefix),
                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                     start_new_session=True).wait()


def close_stage():
    stop_leftovers()
    if STAGE.prefix:
        wineserver('-k')
        wineserver('-w')
        STAGE.prefix = None
    stop_display()


# --- The settings file ------------------------------------------------------


def settings_path():
    return os.path.join(STAGE.prefix, 'drive_c', 'windows', SETTINGS_FILE_NAME)


def write_settings(text):
    """Writes the settings file as private-profile text in Shift-JIS, or removes it for None."""
    path = settings_path()
    if text is None:
        if os.path.exists(path):
            os.remove(path)
        return
    with open(path, 'wb') as settings:
        settings.write(text.replace('\n', '\r\n').encode('cp932'))


def read_settings():
    """The settings file as {(section, key): value}, decoded from Shift-JIS."""
    values, section = {}, None
    with open(settings_path(), 'rb') as settings:
        for line in settings.read().decode('cp932').splitlines():
            line = line.strip()
            if line.startswith('[') and line.endswith(']'):
                section = line[1:-1].upper()
            elif '=' in line and section:
                key, value = line.split('=', 1)
                values[(section, key.strip().upper())] = value.strip()
    return values


# --- Screenshots --------------------------------------------------------------


def screenshot():
    """The whole screen as (width, height, RGB bytes)."""
    env = dict(os.environ, DISPLAY=STAGE.display)
    xwd = subprocess.Popen(['xwd', '-root', '-silent', '-display', STAGE.display], env=env, stdout=subprocess.PIPE)
    ppm = subprocess.run(['/usr/bin/convert', 'xwd:-', 'ppm:-'], stdin=xwd.stdout, stdout=subprocess.PIPE,
                         check=True, timeout=30).stdout
    xwd.wait()
    return parse_ppm(ppm)


def parse_ppm(data):
    fields, position = [], 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b'#':
            position = data.index(b'\n', position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    position += 1
    if fields[0] != b'P6' or fields[3] != b'255':
        raise ValueError('not an 8-bit binary PPM')
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[position:position + width * height * 3]


def lit_bytes(image, rect):
    """How many colour bytes of the region are not 0: a cheap measure of non-black content."""
    width, height, pixels = image
    left, top, right, bottom = max(rect[0], 0), max(rect[1], 0), min(rect[2], width), min(rect[3], height)
    rows = (pixels[(y * width + left) * 3:(y * width + right) * 3] for y in range(top, bottom))
    return sum(len(row) - row.count(0) for row in rows)


def lit_outside(image, rect):
    """How many colour bytes outside the rectangle are not 0."""
    return lit_bytes(image, (0, 0, image[0], image[1])) - lit_bytes(image, rect)


def screenshot_lit_in(rect):
    """A screenshot if something shows inside the rectangle, else None."""
    image = screenshot()
    return image if lit_bytes(image, rect) > 0 else None


def pixel(image, x, y):
    width, _, pixels = image
    offset = (y * width + x) * 3
    return tuple(pixels[offset:offset + 3])


def lit_box(image):
    """The bounding box of the non-black pixels, or None."""
    width, height, pixels = image
    box = None
    for y in range(height):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        stripped = row.lstrip(b'\0')
        if not stripped:
            continue
        first = (len(row) - len(stripped)) // 3
        last = (len(row.rstrip(b'\0')) - 1) // 3
        if box is None:
            box = [first, y, last + 1, y + 1]
        else:
            box = [min(box[0], first), box[1], max(box[2], last + 1), y + 1]
    return tuple(box) if box else None


def save_crop(image, centre, path):
    """Saves a PICTURE_CROP region of the screenshot centred on centre as PNG."""
    width, height, pixels = image
    crop_width, crop_height = PICTURE_CROP
    left = min(max(centre[0] - crop_width // 2, 0), width - crop_width)
    top = min(max(centre[1] - crop_height // 2, 0), height - crop_height)
    ppm = b'P6\n%d %d\n255\n' % (width, height) + pixels
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(['/usr/bin/convert', 'ppm:-', '-crop', '%dx%d+%d+%d' % (crop_width, crop_height, left, top),
                    '+repage', path], input=ppm, check=True, timeout=30)


def read_bmp24(path):
    """A 24-bit bottom-up BMP as (width, height, top-down RGB bytes)."""
    with open(path, 'rb') as bitmap:
        data = bitmap.read()
    offset = int.from_bytes(data[10:14], 'little')
    width = int.from_bytes(data[18:22], 'little', signed=True)
    height = int.from_bytes(data[22:26], 'little', signed=True)
    if int.from_bytes(data[28:30], 'little') != 24:
        raise ValueError('%s is not a 24-bit bitmap' % path)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source_row = y if height < 0 else abs(height) - 1 - y
        row = data[offset + source_row * stride:offset + source_row * stride + width * 3]
        rows.append(bytes(b for i in range(0, len(row), 3) for b in (row[i + 2], row[i + 1], row[i])))
    return width, abs(height), b''.join(rows)


# --- The saver and its windows ------------------------------------------------


def saver_command_line(arguments, quoted=True):
    """The raw command line bytes: the program name, quoted or not, then the argument bytes."""
    name = windows_path(CONFIG.saver).encode('cp932')
    return (b'"' + name + b'"' if quoted else name) + arguments


def launch(command_line, extra_env=None):
    """Starts the saver through the launcher with exactly these command-line bytes."""
    return start_wine(CONFIG.launcher, [windows_path(CONFIG.saver), command_line.hex()], extra_env)


def launcher_exit(process, timeout):
    """The saver's exit code as the launcher reports it."""
    code = wait_exit(process, timeout)
    if code is None:
        return None
    output = process_output(process)
    match = re.search(r'exit=(-?\d+)', output)
    if not match:
        raise AssertionError('the launcher did not start the saver: ' + output.strip())
    return int(match.group(1)) & 0xFF


def saver_windows():
    """The X windows that carry the full-screen saver's title."""
    return x_tool('xdotool', 'search', '--name', '^%s$' % SAVER_TITLE).split()


def wait_for(condition, timeout, interval=0.1):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def wait_saver_window(process, timeout=START_WAIT):
    def shown():
        if process.poll() is not None:
            raise AssertionError('the saver ended with %s before its window appeared' % process.returncode)
        return saver_windows()
    windows = wait_for(shown, timeout)
    if not windows:
        raise AssertionError('no window titled "%s" appeared within %s s' % (SAVER_TITLE, timeout))
    return windows


def wait_no_saver_window(timeout=10):
    if wait_for(lambda: not saver_windows(), timeout) is False:
        raise AssertionError('a saver window is still on the screen')


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
    found = []
    for entry in os.listdir('/proc'):
        if not entry.isdigit():
            continue
        try:
            with open('/proc/%s/cmdline' % entry, 'rb') as cmdline:
                command = cmdline.read()
            with open('/proc/%s/environ' % entry, 'rb') as environ:
                env = environ.read().split(b'\0')
        except OSError:
            continue
        if b'tamblorn.scr' in command.split(b'\0')[0].lower() and \
                b'WINEPREFIX=' + STAGE.prefix.encode() in env:
            found.append(int(entry))
    return found


def press_key(key='space'):
    x_tool('xdotool', 'key', key)


def note_time(label, seconds):
    STAGE.timings.append((label, seconds))


def note_count(text):
    """Counts of a randomised run: printed at the end and kept in e2e-work for the suite's summary."""
    STAGE.counts.append(text)
    path = os.path.join(CONFIG.build_dir, 'e2e-work', 'counts.txt')
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'a') as counts:
        counts.write(text + '\n')


# --- Cases ----------------------------------------------------------------------


class StageCase(unittest.TestCase):
    prefix_name = 'e2e-prefix'
    stage_env = {}

    @classmethod
    def setUpClass(cls):
        try:
            open_stage(cls.prefix_name, cls.stage_env)
            cls.set_up_stage()
        except BaseException:
            close_stage()
            raise

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

    def run_full_screen_and_press_key(self, process, label):
        wait_saver_window(process)
        time.sleep(0.5)
        self.assertIsNone(process.poll(), '%s: the saver ended before the key press' % label)
        press_key()
        code = launcher_exit(process, 10)
        self.assertEqual(code, EXIT_DONE, '%s: the key press did not end the saver with 0' % label)
        wait_no_saver_window()

    def open_dialog(self, process, label):
        code, output = inspect('find-dialog', DIALOG_TITLE.encode('cp932').hex(), 20000, 'controls')
        self.assertEqual(code, 0, '%s: no dialog titled "%s" appeared (saver exit %s): %s' %
                         (label, DIALOG_TITLE, process.poll(), output))
        return output

    def escape_dialog(self, process, label):
        """Waits for the dialog, closes it with Escape and expects the cancel exit."""
        output = self.open_dialog(process, label)
        time.sleep(0.3)
        press_key('Escape')
        self.assertEqual(launcher_exit(process, 10), EXIT_CANCEL, '%s: exit code' % label)
        return output

    def drive_dialog(self, *commands):
        code, output = inspect('find-dialog', DIALOG_TITLE.encode('cp932').hex(), 5000, *commands)
        self.assertEqual(code, 0, 'the inspector could not do %s: %s' % (commands, output))
        return output


class CommandLine(StageCase):
    """The switches, the blanks before them, the window numbers and the program-name forms."""

    def test_full_screen_switches(self):
        for arguments in (b' /s', b' -S', b' s', b'  /s', b' /S/P 5'):
            with self.subTest(arguments=arguments):
                self.run_full_screen_and_press_key(launch(saver_command_line(arguments)), arguments)

    def test_no_switch_opens_the_dialog_without_parent(self):
        for arguments, close_by in ((b'', 'escape'), (b' - /', 'cancel-click')):
            with self.subTest(arguments=arguments):
                process = launch(saver_command_line(arguments))
                if close_by == 'escape':
                    output = self.escape_dialog(process, arguments)
                else:
                    output = self.open_dialog(process, arguments)
                    rect = self.drive_dialog('rect', 2)
                    left, top, right, bottom = map(int, re.search(r'^rect 2 (.*)$', rect, re.M).group(1).split())
                    x_tool('xdotool', 'mousemove', str((left + right) // 2), str((top + bottom) // 2), 'click', '1')
                    self.assertEqual(launcher_exit(process, 10), EXIT_CANCEL)
                self.assertRegex(output, r'^dialog \d+ owner 0 ', 'the dialog has an owner')

    def test_rejected_command_lines_exit_with_minus_one(self):
        code, output = inspect('iswindow', 123, 'iswindow', 1)
        self.assertIn('iswindow 123 0', output, 'window 123 exists in this prefix; the case needs one that does not')
        self.assertIn('iswindow 1 0', output)
        full_width_s = 'ｓ'.encode('cp932')
        rejected = (b' /p', b' /p 0', b' /p abc', b' /p 123', b' /p\t5', b' /x', b' /1', b' /' + full_width_s,
                    b' ' + full_width_s, b' /a', b' /a 99', b' /p 4294967297', b' /p 4294967296')
        for arguments in rejected:
            with self.subTest(arguments=arguments):
                self.assert_rejected(launch(saver_command_line(arguments)), arguments)

    def test_full_width_letter_from_the_unix_command_line(self):
        # The Unix argument is UTF-8; Wine hands it to the program in code page 932.
        process = start_wine(CONFIG.saver, ['/ｓ'])
        self.assert_rejected(process, '/ｓ (UTF-8)')

    def assert_rejected(self, process, label):
        started = time.monotonic()
        seen = []
        while process.poll() is None and time.monotonic() - started < REJECT_ALLOWANCE * 4:
            seen += saver_windows()
            seen += x_tool('xdotool', 'search', '--name', 'Tamblorn|Preview').split()
            time.sleep(0.05)
        elapsed = time.monotonic() - started
        code = wait_exit(process, 1)
        if process.args[1] == CONFIG.launcher and code is not None:
            code = launcher_exit(process, 1)
        self.assertEqual(code, EXIT_REJECTED, '%s: exit code' % label)
        self.assertLess(elapsed, REJECT_ALLOWANCE, '%s: took %.1f s' % (label, elapsed))
        self.assertEqual(seen, [], '%s: a window appeared' % label)

    def test_program_name_forms(self):
        # A quoted name needs no blank before the switch.
        self.run_full_screen_and_press_key(launch(saver_command_line(b'/s')), 'quoted name + /s')
        if b' ' in saver_command_line(b'', quoted=False):
            self.skipTest('the program path has a blank; an unquoted name cannot be formed')
        # An unquoted name runs up to the first blank: "Tamblorn.scr/s" is all name.
        self.escape_dialog(launch(saver_command_line(b'/s', quoted=False)), 'unquoted name + /s')
        # A tab ends an unquoted name like a blank.
        self.run_full_screen_and_press_key(launch(saver_command_line(b'\t/s', quoted=False)), 'unquoted name + tab')

    def test_generated_command_lines_as_separate_processes(self):
        count = COMMAND_LINE_CASES[STRESS]
        seed = random.randrange(1, 1 << 31)
        rng = random.Random(seed)
        makers = (switch_body, saver_body, random_body, preview_body, dialog_body, switch_body)
        lines = [command_line(rng, makers[number % len(makers)]) for number in range(count)]
        path = os.path.join(CONFIG.build_dir, 'e2e-work', 'command-lines.txt')
        # The outcome follows from the command line as the program reads it,
        # which the system may have changed on the way (an incomplete double-byte
        # character, an empty line).
        with open(path, 'w') as case_file:
            case_file.writelines('any h%s\n' % line.hex() for line in lines)
        code, output = run_wine(CONFIG.command_line_runs, ['--arrived', windows_path(path)], timeout=count * 5 + 60)
        arrived = [bytes.fromhex(field[1:]) for field in output.split()]
        self.assertEqual((code, len(arrived)), (0, count), output)
        cases = [(expected_outcome(read), line) for read, line in zip(arrived, lines)]
        with open(path, 'w') as case_file:
            case_file.writelines('%s h%s\n' % (expected, line.hex()) for expected, line in cases)
        code, output = run_wine(CONFIG.command_line_runs, [windows_path(CONFIG.saver), windows_path(path)],
                                timeout=count * 30 + 60)
        summary = output.strip().splitlines()[-1] if output.strip() else ''
        expected = {kind: sum(1 for case in cases if case[0] == kind)
                    for kind in ('rejected', 'saver', 'preview', 'dialog', 'any')}
        note_count('command lines through the program (seed %d): %s; expected %s' % (seed, summary, expected))
        self.assertEqual(leftover_savers(), [], 'saver processes left running')
        self.assertEqual(code, 0, output)
        self.assertIn('tried %d ' % count, summary)


# --- Generated command lines -----------------------------------------------------

NEVER_A_WINDOW = 32  # Wine's first window handle is 0x20
SHIFT_JIS_LEADS = bytes(range(0x81, 0xA0)) + bytes(range(0xE0, 0xFD))


def is_lead_byte(byte):
    return byte in SHIFT_JIS_LEADS


def step(data, at):
    """The next character's position, stepping over a double-byte character whole."""
    return at + 2 if is_lead_byte(data[at]) and at + 1 < len(data) else at + 1


def expected_outcome(line):
    """What the program must do with the whole command line: the argument text
    behind the program name decides, by its first switch."""
    at = 0
    if line[:1] == b'"':
        at = 1
        while at < len(line) and line[at] != 0x22:
            at = step(line, at)
        at += at < len(line)
    elif line and line[0] > 0x20:
        while at < len(line) and line[at] > 0x20:
            at = step(line, at)
    while at < len(line) and line[at] <= 0x20:
        at += 1
    while at < len(line) and line[at] in b' -/':
        at += 1
    if at == len(line):
        return 'dialog'
    letter = chr(line[at]).lower() if line[at] < 0x80 else None
    if letter == 's':
        return 'saver'
    if letter == 'c':
        return 'dialog'
    if letter in ('p', 'l'):
        at += 1
        while at < len(line) and line[at] == 0x20:
            at += 1
        if line[at:at + 3] in (b'{P}', b'{W}'):
            return 'preview'
        value = int(re.match(rb'[0-9]*', line[at:]).group(0) or b'0') % WINDOW_WRAP
        return 'rejected' if value < NEVER_A_WINDOW else 'any'
    return 'rejected'


def junk(rng, most=12):
    """Random bytes, never NUL (a command line ends there)."""
    return bytes(rng.randrange(1, 256) for _ in range(rng.randrange(most + 1)))


def tail(rng):
    """What may follow a switch and its number: nothing, junk that starts with no
    digit, or a Shift-JIS lead byte at the very end."""
    return rng.choice((b'', b' /s', b' /p 5', b'x' + junk(rng), b'\t' + junk(rng), junk(rng, 3) + b'\x82',
                       bytes([rng.choice(SHIFT_JIS_LEADS)])))


def window_number(rng):
    return rng.choice((b'', b'0', b'abc', b'-5', b'\t5', b'4294967296', b'18446744073709551617',
                       str(rng.randrange(NEVER_A_WINDOW)).encode(),
                       str(rng.randrange(1, 1 << 40) * WINDOW_WRAP + rng.randrange(NEVER_A_WINDOW)).encode(),
                       str(rng.randrange(1 << 200)).encode()))


def separators(rng):
    return bytes(rng.choice(b' -/') for _ in range(rng.randrange(4)))


def switch_body(rng):
    letter = rng.choice((b's', b'S', b'p', b'P', b'l', b'L', b'c', b'C', b'a', b'A', b'x', b'1', b'\t',
                         'ｓ'.encode('cp932'), bytes([rng.randrange(0x80, 0x100)])))
    if letter.lower() in (b'p', b'l', b'a'):
        return separators(rng) + letter + b' ' * rng.randrange(3) + window_number(rng) + tail(rng)
    if letter.lower() == b'c':
        return separators(rng) + letter + rng.choice((b'', b':', b':0', b':' + window_number(rng))) + tail(rng)
    return separators(rng) + letter + tail(rng)


def saver_body(rng):
    return separators(rng) + rng.choice((b's', b'S')) + tail(rng)


def preview_body(rng):
    return separators(rng) + rng.choice((b'p', b'P', b'l', b'L')) + b' ' * rng.randrange(3) + \
        rng.choice((b'{P}', b'{W}')) + rng.choice((b'', b' /s', b'x' + junk(rng)))


def dialog_body(rng):
    return rng.choice((separators(rng), separators(rng) + rng.choice((b'c', b'C')) + rng.choice((b'', b':{P}', b':7')),
                       separators(rng) + b'c:' + window_number(rng) + tail(rng)))


def random_body(rng):
    return junk(rng, 30)


def command_line(rng, make_body):
    """A program name quoted, unquoted or missing, blanks or none, then a generated argument text."""
    name = windows_path(CONFIG.saver).encode('cp932')
    head = rng.choice((b'"' + name + b'"', b'"' + name + b'" ', name + b' ', name + b'\t', b'', b' ', b'\t'))
    return head + make_body(rng)


class FullScreen(StageCase):
    """The full-screen saver with no settings file: placement, the jump and the closing rules."""

    def test_flames_centred_then_jump_second_instance_and_mouse_slack(self):
        write_settings(None)
        process = start_wine(CONFIG.saver, ['/s'])
        windows = wait_saver_window(process)
        shown_at = time.monotonic()
        geometry = x_tool('xdotool', 'getwindowgeometry', windows[0])
        self.assertIn('Position: 0,0', geometry)
        self.assertIn('Geometry: %dx%d' % (SCREEN_WIDTH, SCREEN_HEIGHT), geometry)

        image = wait_for(lambda: screenshot_lit_in(TEXT_CANVAS), 3.0, interval=0.2)
        self.assertTrue(image, 'no flames inside %s within 3 s' % (TEXT_CANVAS,))
        self.assertEqual(lit_outside(image, TEXT_CANVAS), 0, 'something shows outside the centred canvas')
        note_time('flames centred after (s)', time.monotonic() - shown_at)

        # A second full-screen start finds the running saver and ends with 0.
        second = start_wine(CONFIG.saver, ['/s'])
        self.assertEqual(wait_exit(second, 15), EXIT_DONE)
        code, output = inspect('savers')
        self.assertIn('savers 1', output)
        self.assertIsNone(process.poll(), 'the second start ended the first saver')

        # Travel 3 stays within the slack of 4.
        x_tool('xdotool', 'mousemove_relative', '--', '3', '0')
        time.sleep(1.5)
        self.assertIsNone(process.poll(), 'a mouse move of 3 pixels ended the saver')

        # The first jump: after 101 ticks the canvas moves to (41, 243).
        def jumped():
            image = screenshot()
            if lit_bytes(image, TEXT_AFTER_FIRST_JUMP) and lit_outside(image, TEXT_AFTER_FIRST_JUMP) == 0:
                return image
            return None
        image = wait_for(jumped, FIRST_JUMP_SECONDS + 8.0 - (time.monotonic() - shown_at), interval=0.3)
        jump_seen = time.monotonic() - shown_at
        self.assertTrue(image, 'the canvas did not show alone at %s' % (TEXT_AFTER_FIRST_JUMP,))
        note_time('first jump seen after (s)', jump_seen)
        self.assertGreater(jump_seen, FIRST_JUMP_SECONDS - 1.5)
        self.assertLess(jump_seen, FIRST_JUMP_SECONDS + 6.0)
        self.assertEqual(lit_outside(image, TEXT_AFTER_FIRST_JUMP), 0, 'the old place is not black')
        self.assertIsNone(process.poll())

        # Travel 10 ends it.
        x_tool('xdotool', 'mousemove_relative', '--', '10', '0')
        self.assertEqual(wait_exit(process, 5), EXIT_DONE, 'a mouse move of 10 pixels did not end the saver with 0')

    def test_key_press_ends_within_a_second(self):
        write_settings(None)
        process = start_wine(CONFIG.saver, ['/s'])
        wait_saver_window(process)
        self.assertTrue(wait_for(lambda: screenshot_lit_in(TEXT_CANVAS), 5.0, interval=0.2))
        self.assertIsNone(process.poll(), 'the saver ended before the key press')
        pressed = time.monotonic()
        press_key()
        code = wait_exit(process, 5)
        elapsed = time.monotonic() - pressed
        note_time('key press to exit (s)', elapsed)
        self.assertEqual(code, EXIT_DONE)
        self.assertLessEqual(elapsed, KEY_EXIT_ALLOWANCE)


def centre_of(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


class Bonfire(StageCase):
    """Fire mode 1: the logs picture at the bottom of the canvas with flames above it."""

    def test_logs_picture_under_flames(self):
        write_settings('[WHITCH]\nFIRE=1\n')
        logs = read_bmp24(CONFIG.logs_bitmap)
        self.assertEqual((logs[0], logs[1]), (LOGS_BAND[2] - LOGS_BAND[0], LOGS_BAND[3] - LOGS_BAND[1]))
        process = start_wine(CONFIG.saver, ['/s'])
        wait_saver_window(process)
        shown_at = time.monotonic()
        above_band = (BONFIRE_CANVAS[0], BONFIRE_CANVAS[1], BONFIRE_CANVAS[2], LOGS_BAND[1])

        # The flames grow a level every 3.1 s and first climb out of the picture
        # after some 5 s; look until just before the first jump moves the canvas.
        image = wait_for(lambda: screenshot_lit_in(above_band), FIRST_JUMP_SECONDS - 0.6 - (time.monotonic() - shown_at),
                         interval=0.4) or screenshot()
        note_time('bonfire flames above the logs after (s)', time.monotonic() - shown_at)
        self.assertEqual(lit_outside(image, BONFIRE_CANVAS), 0, 'something shows outside the bonfire canvas')
        self.assertGreater(lit_bytes(image, above_band), 0, 'no flames above the logs picture')

        same = wood = flames = 0
        for y in range(LOGS_BAND[1], LOGS_BAND[3]):
            for x in range(LOGS_BAND[0], LOGS_BAND[2]):
                shown = pixel(image, x, y)
                if shown == pixel(logs, x - LOGS_BAND[0], y - LOGS_BAND[1]):
                    same += 1
                elif shown != (0, 0, 0):
                    flames += 1
                red, green, blue = shown
                wood += red >= 40 and red > green > blue and green >= red // 5
        band_pixels = logs[0] * logs[1]
        self.assertGreater(same, band_pixels // 2, 'the logs picture does not show in the bottom band')
        self.assertGreater(wood, band_pixels // 5, 'too few orange-brown wood pixels in the bottom band')
        self.assertGreater(flames, 200, 'no flames over the embers')
        self.assertIsNone(process.poll())
        press_key()
        self.assertEqual(wait_exit(process, 5), EXIT_DONE)


class Preview(StageCase):
    """The saver inside a 152 x 112 preview parent of another process."""

    def test_preview_shows_relays_context_menu_and_ends_with_parent(self):
        self.run_preview(wrap=False, right_click=True)

    def test_window_number_above_32_bits_wraps(self):
        self.run_preview(wrap=True, right_click=False)

    def run_preview(self, wrap, right_click):
        work = os.path.join(CONFIG.build_dir, 'e2e-work')
        os.makedirs(work, exist_ok=True)
        status = os.path.join(work, 'preview-status.txt')
        close_request = os.path.join(work, 'preview-close')
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
        cases = VANISHING_PARENT_CASES[STRESS]
        seed = random.randrange(1, 1 << 31)
        code, output = run_wine(CONFIG.vanishing_parent, [windows_path(CONFIG.saver), str(cases), str(seed)],
                                timeout=cases * 12 + 60)
        summary = output.strip().splitlines()[-1] if output.strip() else ''
        note_count('preview parent destroyed 0-200 ms after the start (seed %d): %s' % (seed, summary))
        self.assertEqual(leftover_savers(), [], 'saver processes left running')
        self.assertEqual(code, 0, output)
        self.assertIn('tried %d ' % cases, summary)


class Dialog(StageCase):
    """The configuration dialog: what it shows and what it stores."""

    LIMIT_RADIOS = {1030: '弱火', 1031: '中火', 1032: '強火'}

    def open_configure(self, settings):
        write_settings(settings)
        process = start_wine(CONFIG.saver, ['/c'])
        return process, dialog_controls(self.open_dialog(process, '/c'))

    def finish(self, process, exit_code, *commands):
        """Drives the dialog with the inspector's commands and checks the saver's exit code."""
        output = self.drive_dialog(*commands)
        self.assertEqual(wait_exit(process, 10), exit_code)
        return output

    picture = None  # where a run with --screens saves the dialog as shown

    def test_shows_title_and_controls(self):
        process, controls = self.open_configure(None)
        if self.picture and CONFIG.screens:
            rect = re.search(r'^dialog \d+ owner \d+ rect (.*)$', self.drive_dialog(), re.M)
            left, top, right, bottom = map(int, rect.group(1).split())
            width, height, pixels = screenshot()
            crop = '%dx%d+%d+%d' % (right - left, bottom - top, left, top)
            path = os.path.join(CONFIG.screens, self.picture)
            subprocess.run(['/usr/bin/convert', 'ppm:-', '-crop', crop, '+repage', path],
                           input=b'P6\n%d %d\n255\n' % (width, height) + pixels, check=True, timeout=30)
        for text in ('OK', 'キャンセル', '表示文字', 'フォントサイズ', '文字燃える', '焚き火', 'ループ', '弱火', '中火', '強火'):
            self.assertIn(('text', text), controls, 'no control shows "%s"' % text)
        expected = {1: 'OK', 2: 'キャンセル', 1020: '文字燃える', 1021: '焚き火', 1005: 'ループ'}
        expected.update(self.LIMIT_RADIOS)
        for control_id, text in expected.items():
            self.assertEqual(controls[control_id][2], text)
        self.assertEqual(controls[1001][2], '五字送り火')
        self.assertEqual(controls[1002][2], '32')
        self.assertEqual(controls[1020][1], 1)
        self.assertEqual(controls[1032][1], 1)
        self.finish(process, EXIT_CANCEL, 'click', 2)

    def test_stored_limit_picks_the_strength_radio(self):
        for limit, checked in ((8, 1031), (6, 1030), (12, 1032), (10, 1031), (20, 1032)):
            with self.subTest(limit=limit):
                process, controls = self.open_configure('[FLAME]\nLIMIT=%d\n' % limit)
                states = {control_id: controls[control_id][1] for control_id in self.LIMIT_RADIOS}
                self.assertEqual(states, {control_id: int(control_id == checked) for control_id in self.LIMIT_RADIOS},
                                 '%s should be checked' % self.LIMIT_RADIOS[checked])
                self.finish(process, EXIT_CANCEL, 'click', 2)

    def test_bonfire_then_ok_stores_fire_mode(self):
        process, controls = self.open_configure('[WHITCH]\nFIRE=0\n')
        self.assertEqual((controls[1020][1], controls[1021][1]), (1, 0))
        controls = dialog_controls(self.finish(process, EXIT_OK, 'click', 1021, 'controls', 'click', 1))
        self.assertEqual((controls[1020][1], controls[1021][1]), (0, 1))
        self.assertEqual(controls[1032][1], 1, 'the strength radio lost its check')
        settings = read_settings()
        self.assertEqual(settings[('WHITCH', 'FIRE')], '1')
        for key in (('BURNING', 'TEXT'), ('FONT', 'SIZE'), ('FLAME', 'LIMIT'), ('FLAME', 'LOOP')):
            self.assertIn(key, settings)

    def test_cancel_leaves_the_file_unchanged(self):
        process, _ = self.open_configure('[BURNING]\nTEXT=燃えろ\n[WHITCH]\nFIRE=0\n[FLAME]\nLIMIT=8\n')
        with open(settings_path(), 'rb') as settings:
            before = settings.read()
        self.finish(process, EXIT_CANCEL, 'click', 1021, 'click', 1030, 'click', 2)
        with open(settings_path(), 'rb') as settings:
            self.assertEqual(settings.read(), before)

    def test_font_size_200_is_stored_as_minus_56(self):
        process, _ = self.open_configure(None)
        self.finish(process, EXIT_OK, 'settext', 1002, '200'.encode().hex(), 'click', 1)
        self.assertEqual(read_settings()[('FONT', 'SIZE')], '-56')

    def test_ok_keeps_the_texts_shift_jis_bytes(self):
        process, controls = self.open_configure('[BURNING]\nTEXT=燃えろ 火\n')
        self.assertEqual(controls[1001][2], '燃えろ 火')
        self.finish(process, EXIT_OK, 'settext', 1001, '炎の文字'.encode('cp932').hex(), 'click', 1)
        with open(settings_path(), 'rb') as settings:
            self.assertEqual(settings.read(), ('[BURNING]\r\nTEXT=炎の文字\r\n[FONT]\r\nSIZE=32\r\n[WHITCH]\r\n'
                                               'FIRE=0\r\n[FLAME]\r\nLIMIT=12\r\nLOOP=0\r\n').encode('cp932'))

    def test_ok_with_empty_text_stores_empty_text(self):
        process, controls = self.open_configure('[BURNING]\nTEXT=燃えろ\n')
        self.assertEqual(controls[1001][2], '燃えろ')
        self.finish(process, EXIT_OK, 'settext', 1001, '', 'click', 1)
        self.assertEqual(read_settings()[('BURNING', 'TEXT')], '')


class DialogOnCodePage1252(Dialog):
    """The same dialog where the system's code page is 1252, as on an English Windows."""

    prefix_name = 'e2e-prefix-cp1252'
    stage_env = {'TAMBLORN_LC_ALL': 'C.UTF-8'}
    picture = 'configure-dialog-cp1252.png'

    @classmethod
    def set_up_stage(cls):
        # The dialog font links to "MS UI Gothic" for Japanese, as on an English Windows; here that is IPAGothic.
        code, output = run_wine('reg', ['add', 'HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes',
                                        '/v', 'MS UI Gothic', '/d', 'IPAGothic', '/f'])
        if code != 0:
            raise RuntimeError('reg add FontSubstitutes failed: %s' % output)


class DialogOnCodePage65001(DialogOnCodePage1252):
    """The same dialog where the system's code page is UTF-8: Windows gives Hindi no ANSI code page, and Wine
    then takes 65001."""

    prefix_name = 'e2e-prefix-cp65001'
    stage_env = {'TAMBLORN_LC_ALL': 'hi_IN.UTF-8'}
    picture = 'configure-dialog-cp65001.png'


class Win9x(StageCase):
    """A Windows 98 prefix with password protection on and the test verifier beside the program."""

    prefix_name = 'e2e-prefix-win98'

    @classmethod
    def set_up_stage(cls):
        for key, value_args in (('HKCU\\Software\\Wine', ['/v', 'Version', '/d', 'win98']),
                                ('HKCU\\Control Panel\\Desktop',
                                 ['/v', 'ScreenSaveUsePassword', '/t', 'REG_DWORD', '/d', '1'])):
            code, output = run_wine('reg', ['add', key] + value_args + ['/f'])
            if code != 0:
                raise RuntimeError('reg add %s failed: %s' % (key, output))
        cls.program_dir = os.path.join(CONFIG.build_dir, 'e2e-win98-program')
        os.makedirs(cls.program_dir, exist_ok=True)
        cls.saver = os.path.join(cls.program_dir, os.path.basename(CONFIG.saver))
        shutil.copy2(CONFIG.saver, cls.saver)
        for double in (CONFIG.verifier, CONFIG.password_change):
            if double:
                shutil.copy2(double, os.path.join(cls.program_dir, os.path.basename(double)))
        cls.log = os.path.join(CONFIG.build_dir, 'e2e-work', 'win98-doubles.log')
        os.makedirs(os.path.dirname(cls.log), exist_ok=True)

    def setUp(self):
        super().setUp()
        if os.path.exists(self.log):
            os.remove(self.log)

    def log_lines(self, prefix=''):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding='cp932', errors='replace') as log:
            return [line for line in log.read().splitlines() if line.startswith(prefix)]

    def wait_verifier_call(self, number, answer):
        calls = wait_for(lambda: self.log_lines('VerifyScreenSavePwd call=%d' % number), 5.0)
        self.assertTrue(calls, 'key press %d did not ask the verifier: %s' % (number, self.log_lines()))
        self.assertIn('answer=%d' % answer, calls[0])

    def test_key_asks_the_verifier_until_it_accepts(self):
        if not CONFIG.verifier:
            self.fail('the PASSWORD.CPL test double is not built (tests/win32/doubles.cmake)')
        env = {'TAMBLORN_VERIFIER_ANSWERS': '01', 'TAMBLORN_DOUBLE_LOG': windows_path(self.log)}
        process = start_wine(self.saver, ['/s'], env)
        wait_saver_window(process)
        self.assertIn('PASSWORD.CPL loaded', self.log_lines())
        time.sleep(0.5)

        press_key()
        self.wait_verifier_call(1, 0)
        time.sleep(1.0)
        self.assertIsNone(process.poll(), 'the saver ended although the verifier refused')
        press_key()
        self.wait_verifier_call(2, 1)
        self.assertEqual(wait_exit(process, 5), EXIT_DONE)
        self.assertIn('PASSWORD.CPL freed', self.log_lines())

    def test_password_switch_changes_the_password(self):
        if not CONFIG.password_change:
            self.fail('the MPR.DLL test double is not built (tests/win32/doubles.cmake)')
        env = {'TAMBLORN_DLL_OVERRIDES': 'mpr=n', 'TAMBLORN_DOUBLE_LOG': windows_path(self.log)}
        for args in (['/a', '99'], ['/a']):
            with self.subTest(args=args):
                if os.path.exists(self.log):
                    os.remove(self.log)
                code, output = run_wine(self.saver, args, timeout=30, extra_env=env)
                self.assertEqual(code, EXIT_DONE, 'the 9x family must accept /a: %s' % output)
                calls = self.log_lines('PwdChangePasswordA')
                self.assertEqual(len(calls), 1, self.log_lines())
                self.assertRegex(calls[0], r'provider="SCRSAVE" owner=\d+ third=0 fourth=0')
                self.assertIn('MPR.DLL freed', self.log_lines())


class Pictures(StageCase):
    """Not a check: screenshots of both modes at full strength for the documentation."""

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
            path = os.path.join(CONFIG.screens, name)
            save_crop(image, centre_of(box), path)
            print('saved %s around %s' % (path, box))
            press_key()
            self.assertEqual(wait_exit(process, 5), EXIT_DONE)


GROUPS = {
    'command_line': CommandLine,
    'full_screen': FullScreen,
    'bonfire': Bonfire,
    'preview': Preview,
    'dialog': Dialog,
    'dialog_cp1252': DialogOnCodePage1252,
    'dialog_cp65001': DialogOnCodePage65001,
    'win9x': Win9x,
}
# Groups that "all" leaves out.
EXTRA_GROUPS = {'pictures': Pictures}


def stop_on_signal(number, frame):
    """Termination runs the same clean-up as an interruption: no display, Wine
    server or saver outlives the run."""
    raise KeyboardInterrupt('signal %d' % number)


def main():
    signal.signal(signal.SIGTERM, stop_on_signal)
    signal.signal(signal.SIGHUP, stop_on_signal)
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--group', action='append', choices=sorted(GROUPS) + sorted(EXTRA_GROUPS) + ['all'],
                        required=True)
    parser.add_argument('--saver', required=True, help='the built Tamblorn.scr')
    parser.add_argument('--wine-run', required=True, help="the tree's wine-run.sh")
    parser.add_argument('--wineserver', default='/usr/lib/wine/wineserver')
    parser.add_argument('--build-dir', required=True, help='where the prefixes and work files go')
    parser.add_argument('--launcher', required=True)
    parser.add_argument('--preview-parent', required=True)
    parser.add_argument('--inspector', required=True)
    parser.add_argument('--vanishing-parent', required=True)
    parser.add_argument('--command-line-runs', required=True)
    parser.add_argument('--logs-bitmap', required=True)
    parser.add_argument('--verifier', default='', help='the PASSWORD.CPL test double')
    parser.add_argument('--password-change', default='', help='the MPR.DLL test double')
    parser.add_argument('--screens', default='', help='group pictures: save screen-text.png and screen-bonfire.png here')
    parser.add_argument('unittest_args', nargs='*', help='passed on to unittest, e.g. -k jump')
    parser.parse_args(namespace=CONFIG)
    for name in ('saver', 'wine_run', 'build_dir', 'launcher', 'preview_parent', 'inspector', 'vanishing_parent',
                 'command_line_runs', 'logs_bitmap'):
        setattr(CONFIG, name, os.path.abspath(getattr(CONFIG, name)))

    groups = sorted(GROUPS) if 'all' in CONFIG.group else CONFIG.group
    loader = unittest.TestLoader()
    if CONFIG.unittest_args:
        loader.testNamePatterns = ['*%s*' % pattern for pattern in CONFIG.unittest_args]
    cases = dict(GROUPS, **EXTRA_GROUPS)
    suite = unittest.TestSuite(loader.loadTestsFromTestCase(cases[group]) for group in groups)
    started = time.monotonic()
    try:
        result = unittest.TextTestRunner(verbosity=2).run(suite)
    finally:
        close_stage()
    for label, seconds in STAGE.timings:
        print('timing: %s %.2f' % (label, seconds))
    for text in STAGE.counts:
        print('count: ' + text)
    print('e2e %s: %.1f s' % (', '.join(groups), time.monotonic() - started))
    if result.testsRun and len(result.skipped) == result.testsRun:
        return SKIPPED
    return 0 if result.wasSuccessful() else 1


if __name__ == '__main__':
    sys.exit(main())
